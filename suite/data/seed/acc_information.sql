-- Default settings of the suite
INSERT INTO AccInformation (cSysID, cID, cName, cCaption, cValue) VALUES
('AA', '20', 'iStrsPriDecDgt', '单价小数位数', '2'),
('ST', '1', 'iStrsQuanDecDgt', '存货数量小数位数', '2'),
('ST', '2', 'iStrsPriDecDgt', '存货单价小数位数', '2'),
('ST', '3', 'iStrsAmtDecDgt', '存货金额小数位数', '2'),
('ST', '4', 'iStrsNumDecDgt', '件数小数位数', '2'),
('ST', '5', 'iStrsExchRateDecDgt', '换算率小数位数', '4');
