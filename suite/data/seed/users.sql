-- The suite's built-in users of a new account.
INSERT INTO tarvo_user (cUser_Id, cUser_Name) VALUES ('admin', '系统管理员'), ('demo', '演示用户');
