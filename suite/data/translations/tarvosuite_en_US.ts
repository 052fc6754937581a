<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>tarvo::suite::Edit</name>
    <message>
        <source>不能输入 %1：此栏不接受 %2 这些字符。</source>
        <translation>%1 cannot be entered: this field does not take the characters %2.</translation>
    </message>
    <message>
        <source>此栏最多 %1 个字符，多出的部分没有输入。</source>
        <translation>This field holds at most %1 characters; the rest was not entered.</translation>
    </message>
    <message>
        <source>此栏只能输入金额：数字、负号、小数点，小数位数有限。</source>
        <translation>This field takes an amount only: digits, a minus sign and a decimal point, with limited decimals.</translation>
    </message>
    <message>
        <source>此栏只能输入数字。</source>
        <translation>This field takes digits only.</translation>
    </message>
</context>
</TS>
