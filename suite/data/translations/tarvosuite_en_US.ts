<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>tarvo::suite::Edit</name>
    <message>
        <source>不能输入 %1：文字中不能有控制字符、文字方向控制符或无效字符。</source>
        <translation>%1 cannot be entered: a text cannot hold control characters, bidirectional controls or invalid characters.</translation>
    </message>
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
<context>
    <name>tarvo::suite::SaveService</name>
    <message>
        <source>银行档案中没有编码为“%1”的银行</source>
        <translation>The bank archive has no bank with the code "%1"</translation>
    </message>
    <message>
        <source>币种档案中没有“%1”</source>
        <translation>The currency archive has no "%1"</translation>
    </message>
    <message>
        <source>会计科目中没有编码为“%1”的科目</source>
        <translation>The chart of accounts has no account with the code "%1"</translation>
    </message>
    <message>
        <source>本单位开户银行</source>
        <translation>company bank accounts</translation>
    </message>
    <message>
        <source>业务员</source>
        <translation>salespeople</translation>
    </message>
    <message>
        <source>没有提供档案“%1”的保存服务</source>
        <translation>There is no save service for the archive "%1"</translation>
    </message>
    <message>
        <source>第 %1 条记录未能保存，全部记录均未导入：%2</source>
        <translation>Record %1 could not be saved, so no record was imported: %2</translation>
    </message>
    <message>
        <source>数据库出错，全部记录均未导入：%1</source>
        <translation>Database error, so no record was imported: %1</translation>
    </message>
    <message>
        <source>科目“%1”不是末级科目，银行账户只能对应末级科目</source>
        <translation>Account "%1" is not an end-level account; a bank account can only be linked to an end-level account</translation>
    </message>
    <message>
        <source>“%1”是系统预置的银行，名称不能修改</source>
        <translation>"%1" is a bank the system brought along; its name cannot be changed</translation>
    </message>
    <message>
        <source>“%1”最多 %2 个字符，输入了 %3 个</source>
        <translation>"%1" holds at most %2 characters; %3 were entered</translation>
    </message>
    <message>
        <source>“%1”中含有控制字符</source>
        <translation>"%1" contains control characters</translation>
    </message>
    <message>
        <source>“%1”只能是 0 或 1，不能是“%2”</source>
        <translation>"%1" can only be 0 or 1, not "%2"</translation>
    </message>
    <message>
        <source>“%1”必须是整数，不能是“%2”</source>
        <translation>"%1" must be a whole number, not "%2"</translation>
    </message>
    <message>
        <source>“%1”必须是数字，不能是“%2”</source>
        <translation>"%1" must be a number, not "%2"</translation>
    </message>
    <message>
        <source>“%1”的数值“%2”超出范围：最多 %3 位整数、%4 位小数</source>
        <translation>The value "%2" of "%1" is out of range: at most %3 integer digits and %4 decimals</translation>
    </message>
    <message>
        <source>“%1”不是有效的日期：“%2”</source>
        <translation>"%1" is not a valid date: "%2"</translation>
    </message>
    <message>
        <source>字段“%1”的类型“%2”无法保存</source>
        <translation>Field "%1" of type "%2" cannot be saved</translation>
    </message>
    <message>
        <source>“%1”的数值“%2”有效数字超过 %3 位，本地账套数据库无法精确保存，请改用服务器账套或减少位数</source>
        <translation>The value "%2" of "%1" has more than %3 significant digits, which the local account database cannot store exactly; use a server account database or fewer digits</translation>
    </message>
    <message>
        <source>保存的数据属于“%1”，不是档案“%2”</source>
        <translation>The data to save belongs to "%1", not to the archive "%2"</translation>
    </message>
    <message>
        <source>档案“%1”中没有字段“%2”</source>
        <translation>The archive "%1" has no field "%2"</translation>
    </message>
    <message>
        <source>“%1”不能为空</source>
        <translation>"%1" cannot be empty</translation>
    </message>
    <message>
        <source>保存的数据中缺少“%1”</source>
        <translation>The data to save lacks "%1"</translation>
    </message>
    <message>
        <source>%1“%2”已存在，不能重复增加</source>
        <translation>%1 "%2" already exists and cannot be added again</translation>
    </message>
    <message>
        <source>%1为“%2”的记录不存在，可能已被其他用户删除</source>
        <translation>The record with %1 "%2" does not exist; another user may have deleted it</translation>
    </message>
    <message>
        <source>保存失败：%1</source>
        <translation>Save failed: %1</translation>
    </message>
    <message>
        <source>银行账号“%1”已被编码为“%2”的账户使用，同一账号不能重复录入</source>
        <translation>The bank account number "%1" is already used by the account with code "%2"; the same number cannot be entered twice</translation>
    </message>
    <message>
        <source>企业账号定长时，企业账号长度必须是 1 到 40 之间的整数</source>
        <translation>When company account numbers have a fixed length, the length must be a whole number from 1 to 40</translation>
    </message>
    <message>
        <source>“%1”是系统预置数据，不能删除</source>
        <translation>"%1" is data the system brought along and cannot be deleted</translation>
    </message>
    <message>
        <source>“%1”已被 %2 个%3使用，不能删除</source>
        <translation>"%1" is used by %2 %3 and cannot be deleted</translation>
    </message>
    <message>
        <source>没有提供档案“%1”的删除服务</source>
        <translation>There is no delete service for the archive "%1"</translation>
    </message>
    <message>
        <source>“%1”不是档案“%2”的关键字段</source>
        <translation>"%1" is not the key field of the archive "%2"</translation>
    </message>
    <message>
        <source>删除失败：%1</source>
        <translation>Delete failed: %1</translation>
    </message>
    <message>
        <source>保存的数据超过 %1 个字符，不予保存</source>
        <translation>The data to save is longer than %1 characters and is not saved</translation>
    </message>
    <message>
        <source>保存的数据格式不正确：%1</source>
        <translation>The data to save is malformed: %1</translation>
    </message>
    <message>
        <source>不接受文档类型定义</source>
        <translation>document type declarations are not accepted</translation>
    </message>
    <message>
        <source>不接受未定义的实体引用</source>
        <translation>undefined entity references are not accepted</translation>
    </message>
    <message>
        <source>不接受处理指令</source>
        <translation>processing instructions are not accepted</translation>
    </message>
    <message>
        <source>元素“%1”不应带属性</source>
        <translation>element "%1" must not have attributes</translation>
    </message>
    <message>
        <source>字段“%1”出现了两次</source>
        <translation>field "%1" appears twice</translation>
    </message>
    <message>
        <source>字段“%1”中不应再有元素</source>
        <translation>field "%1" must not contain elements</translation>
    </message>
    <message>
        <source>字段之外不应有文字</source>
        <translation>there must be no text outside the fields</translation>
    </message>
    <message>
        <source>第 %1 行第 %2 列：%3</source>
        <translation>line %1, column %2: %3</translation>
    </message>
    <message>
        <source>没有根元素</source>
        <translation>there is no root element</translation>
    </message>
</context>
<context>
    <name>tarvo::suite::FileDialogs</name>
    <message>
        <source>所有文件 (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>文件夹</source>
        <translation>Folder</translation>
    </message>
</context>
<context>
    <name>tarvo::suite::TextCharacters</name>
    <message>
        <source>控制字符</source>
        <translation>a control character</translation>
    </message>
    <message>
        <source>不成对的代理码位，不是有效的字符</source>
        <translation>half of a surrogate pair alone, no valid character</translation>
    </message>
    <message>
        <source>非字符码位</source>
        <translation>a noncharacter</translation>
    </message>
    <message>
        <source>文字方向控制符，会使文字颠倒显示</source>
        <translation>a bidirectional control, which would show the text reversed</translation>
    </message>
    <message>
        <source>U+%1（%2）</source>
        <translation>U+%1 (%2)</translation>
    </message>
</context>
<context>
    <name>tarvo::suite::ReferDialog</name>
    <message numerus="yes">
        <source>共 %n 条记录</source>
        <translation>
            <numerusform>%n record</numerusform>
            <numerusform>%n records</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>显示 %1 条，共 %n 条记录</source>
        <translation>
            <numerusform>%1 of %n record shown</numerusform>
            <numerusform>%1 of %n records shown</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>tarvo::suite::DbError</name>
    <message>
        <source>这个联行号目录不能保存</source>
        <translation>This branch directory cannot be stored</translation>
    </message>
    <message>
        <source>读取联行号目录失败：%1</source>
        <translation>Cannot read the branch directory: %1</translation>
    </message>
    <message>
        <source>保存联行号目录失败：%1</source>
        <translation>Cannot store the branch directory: %1</translation>
    </message>
    <message>
        <source>数据库连接上另一项工作的事务尚未结束，请稍后再试</source>
        <translation>Other work has a transaction open on the database connection; please try again shortly</translation>
    </message>
    <message>
        <source>与数据库服务器的连接已中断，重新连接失败：%1</source>
        <translation>The connection to the database server was lost, and reconnecting failed: %1</translation>
    </message>
    <message>
        <source>与数据库服务器的连接在提交时中断，无法确认本次修改是否已保存，请重新查询核对后再操作（%1）</source>
        <translation>The connection to the database server was lost while committing: whether this change was saved cannot be confirmed. Query again and check before going on (%1)</translation>
    </message>
    <message>
        <source>与数据库服务器的连接在提交时中断，本次修改没有保存</source>
        <translation>The connection to the database server was lost while committing; this change was not saved</translation>
    </message>
    <message>
        <source>无法创建数据库文件“%1”：%2</source>
        <translation>Cannot create the database file "%1": %2</translation>
    </message>
    <message>
        <source>无法设置数据库文件“%1”的权限：%2</source>
        <translation>Cannot set the permissions of the database file "%1": %2</translation>
    </message>
    <message>
        <source>“%1”不是数据库文件，服务器上的数据库请写成 postgresql://用户@主机:端口/数据库</source>
        <translation>"%1" is not a database file; write a database on a server as postgresql://user@host:port/database</translation>
    </message>
    <message>
        <source>无法创建数据库文件夹“%1”：%2</source>
        <translation>Cannot create the database folder "%1": %2</translation>
    </message>
    <message>
        <source>数据库服务器拒绝了这项操作：登录角色“%1”没有所需的权限，请向数据库管理员申请</source>
        <translation>The database server refused this: the login role "%1" lacks the right it needs; ask the database administrator for it</translation>
    </message>
    <message>
        <source>只有数据库服务器上的账套才有登录角色和权限</source>
        <translation>Only an account database on a database server has login roles and rights</translation>
    </message>
    <message>
        <source>没有连接账套数据库</source>
        <translation>Not connected to the account database</translation>
    </message>
    <message>
        <source>查询的列与给出的字段不符</source>
        <translation>The query's columns do not match the fields given</translation>
    </message>
    <message>
        <source>没有档案“%1”的修改记录</source>
        <translation>The archive "%1" keeps no change history</translation>
    </message>
    <message>
        <source>读取修改记录失败：%1</source>
        <translation>Reading the change history failed: %1</translation>
    </message>
    <message>
        <source>数据库服务器没有应答</source>
        <translation>The database server does not answer</translation>
    </message>
    <message>
        <source>内存不足</source>
        <translation>Out of memory</translation>
    </message>
    <message>
        <source>无法连接数据库“%1”：%2</source>
        <translation>Cannot connect to the database "%1": %2</translation>
    </message>
    <message>
        <source>事务中的语句出错，事务已回滚</source>
        <translation>A statement of the transaction failed; the transaction was rolled back</translation>
    </message>
    <message>
        <source>数据库服务器不接受标准字符串（standard_conforming_strings），为安全起见不能使用该数据库</source>
        <translation>The database server does not accept standard strings (standard_conforming_strings); for safety the database cannot be used</translation>
    </message>
    <message>
        <source>无法打开数据库文件</source>
        <translation>Cannot open the database file</translation>
    </message>
    <message>
        <source>账套数据库正被另一个程序或窗口写入，等了 10 秒仍未轮到，请稍后再试</source>
        <translation>Another program or window is writing to the accounting database and has not let go for 10 seconds; try again shortly</translation>
    </message>
    <message>
        <source>账套数据库文件只能读取，不能写入（请检查文件及其所在文件夹的写权限）</source>
        <translation>The accounting database file can be read but not written (check the write permissions of the file and its folder)</translation>
    </message>
    <message>
        <source>没有访问账套数据库文件的权限</source>
        <translation>No permission to use the accounting database file</translation>
    </message>
    <message>
        <source>磁盘已满，无法写入账套数据库</source>
        <translation>The disk is full; the accounting database cannot be written</translation>
    </message>
    <message>
        <source>读写账套数据库文件时出错（磁盘或网络存储故障）</source>
        <translation>Reading or writing the accounting database file failed (a fault of the disk or the network storage)</translation>
    </message>
    <message>
        <source>账套数据库文件已损坏，或不是账套数据库</source>
        <translation>The accounting database file is damaged, or is not an accounting database</translation>
    </message>
    <message>
        <source>无法打开账套数据库文件</source>
        <translation>Cannot open the accounting database file</translation>
    </message>
    <message>
        <source>%1（%2）</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>警告：数据库服务器 %1 有 %2 台备用服务器，但没有同步备用服务器（synchronous_standby_names 为空）。切换到备用服务器时，已报告保存成功的修改可能丢失。请数据库管理员设置同步备用服务器。</source>
        <translation>Warning: the database server %1 has %2 standby server(s) but no synchronous one (synchronous_standby_names is empty). In a failover, changes reported as saved may be lost. The database administrator should set up a synchronous standby.</translation>
    </message>
    <message>
        <source>警告：数据库服务器 %1 的 synchronous_commit 为 %2，修改在备用服务器收到之前就报告保存成功。切换到备用服务器时，这些修改可能丢失。请数据库管理员把它设为 on 或 remote_apply。</source>
        <translation>Warning: synchronous_commit is %2 on the database server %1, so changes are reported as saved before a standby has them. In a failover they may be lost. The database administrator should set it to on or remote_apply.</translation>
    </message>
    <message>
        <source>无法打开数据库“%1”：%2</source>
        <translation>Cannot open the database "%1": %2</translation>
    </message>
    <message>
        <source>空的 SQL 语句</source>
        <translation>Empty SQL statement</translation>
    </message>
    <message>
        <source>账套数据库的结构版本为 %1，而本程序只认识到版本 %2：它由更新版本的程序建立或升级过，请先升级本程序再打开。</source>
        <translation>The account database has structure version %1, but this program knows versions up to %2 only: a newer program created or upgraded it. Upgrade this program before opening it.</translation>
    </message>
    <message>
        <source>账套数据库的结构版本“%1”无法识别</source>
        <translation>The structure version "%1" of the account database is not recognised</translation>
    </message>
    <message>
        <source>“%1”中没有数据库名</source>
        <translation>"%1" names no database</translation>
    </message>
    <message>
        <source>缺少数据库脚本 %1</source>
        <translation>The database script %1 is missing</translation>
    </message>
    <message>
        <source>没有指定账套数据库</source>
        <translation>No account database was given</translation>
    </message>
    <message>
        <source>数据库文件夹“%1”不存在</source>
        <translation>The database folder "%1" does not exist</translation>
    </message>
    <message>
        <source>与数据库服务器的连接已中断（%1）</source>
        <translation>The connection to the database server was broken (%1)</translation>
    </message>
    <message>
        <source>没有连接账套数据库，打印格式无法保存</source>
        <translation>Not connected to the account database; the print style cannot be saved</translation>
    </message>
</context>
<context>
    <name>tarvo::suite::Login</name>
    <message>
        <source>用户“%1”不是本账套的操作员</source>
        <translation>User "%1" is not an operator of this account database</translation>
    </message>
    <message>
        <source>无法打开账套数据库“%1”：%2</source>
        <translation>Cannot open the account database "%1": %2</translation>
    </message>
</context>
<context>
    <name>tarvo::Recordset</name>
    <message>
        <source>BOF 或 EOF 中有一个是“真”，或者当前记录已被删除，所需的操作要求一个当前的记录。</source>
        <translation>Either BOF or EOF is True, or the current record has been deleted. Requested operation requires a current record.</translation>
    </message>
    <message>
        <source>筛选条件格式不正确：%1</source>
        <translation>The filter is not well formed: %1</translation>
    </message>
    <message>
        <source>筛选条件的括号嵌套超过 %1 层</source>
        <translation>The filter nests parentheses deeper than %1 levels</translation>
    </message>
    <message>
        <source>筛选条件中的字段“%1”在记录集中不存在</source>
        <translation>The filter's field "%1" is not in the record set</translation>
    </message>
    <message>
        <source>查询结果的列数 %1 与字段个数 %2 不符</source>
        <translation>The query result has %1 columns but %2 fields</translation>
    </message>
    <message>
        <source>行的值个数 %1 与字段个数 %2 不符</source>
        <translation>The row has %1 values but %2 fields</translation>
    </message>
    <message>
        <source>查询结果的一列超过 512 MB，无法读入</source>
        <translation>A column of the query result exceeds 512 MB and cannot be read</translation>
    </message>
    <message>
        <source>在对应所需名称或序数的集合中，未找到项目：%1</source>
        <translation>Item cannot be found in the collection corresponding to the requested name or ordinal: %1</translation>
    </message>
</context>
<context>
    <name>tarvo::suite::TableReader</name>
    <message>
        <source>文件不是有效的 Excel 工作簿（.xlsx），或已损坏</source>
        <translation>The file is not a valid Excel workbook (.xlsx), or it is damaged</translation>
    </message>
    <message>
        <source>文件的编码既不是 UTF-8 也不是 GB18030，无法读取</source>
        <translation>The file is neither UTF-8 nor GB18030 and cannot be read</translation>
    </message>
    <message>
        <source>文件中含有二进制内容，不是 CSV 文本文件</source>
        <translation>The file holds binary content; it is not a CSV text file</translation>
    </message>
    <message>
        <source>第 %1 行开始的引号没有结束，文件不完整或格式有误</source>
        <translation>The quote opened on line %1 never closes: the file is incomplete or malformed</translation>
    </message>
    <message>
        <source>只能导入 .csv 或 .xlsx 文件</source>
        <translation>Only .csv and .xlsx files can be imported</translation>
    </message>
    <message>
        <source>无法打开文件“%1”：%2</source>
        <translation>Cannot open the file "%1": %2</translation>
    </message>
    <message>
        <source>文件“%1”过大，无法导入</source>
        <translation>The file "%1" is too large to import</translation>
    </message>
    <message>
        <source>文件太大：%1超过 %2 MB，不是可以导入的表格</source>
        <translation>The file is too large: %1 is over %2 MB, no table that can be imported</translation>
    </message>
    <message>
        <source>文件中的 %1 含有文档类型声明（DOCTYPE），工作簿不应有，不予读取</source>
        <translation>The part %1 of the file declares a document type (DOCTYPE), which no workbook has: it is not read</translation>
    </message>
    <message>
        <source>工作簿中的 %1 解压后</source>
        <translation>the workbook part %1, once unpacked,</translation>
    </message>
    <message>
        <source>文件已损坏：工作簿中的 %1 第 %2 行第 %3 列不是正确的 XML</source>
        <translation>The file is damaged: the workbook part %1 is no well-formed XML at line %2, column %3</translation>
    </message>
    <message>
        <source>文件中含有无效字符 U+%1（写作“_x%1_”），它不是文字中可以有的字符</source>
        <translation>The file holds the invalid character U+%1 (written &quot;_x%1_&quot;), which no text may hold</translation>
    </message>
    <message>
        <source>文件太大：工作簿的单元格格式多于 %1 种</source>
        <translation>The file is too large: the workbook has more than %1 cell formats</translation>
    </message>
    <message>
        <source>文件已损坏：第 %1 行出现在第 %2 行之后</source>
        <translation>The file is damaged: row %1 comes after row %2</translation>
    </message>
    <message>
        <source>文件太大：第 %1 行超过 %2 栏</source>
        <translation>The file is too large: row %1 has more than %2 columns</translation>
    </message>
    <message>
        <source>文件太大：栏目名称行最多 %1 栏，此文件更多</source>
        <translation>The file is too large: the caption row takes at most %1 columns, and this file has more</translation>
    </message>
    <message>
        <source>文件太大：第 %1 行 %2 列的单元格超过 %3 个字符</source>
        <translation>The file is too large: the cell in row %1, column %2 has more than %3 characters</translation>
    </message>
    <message>
        <source>文件太大：工作簿中的 %1 有超过 %2 个字符的文字或属性</source>
        <translation>The file is too large: the workbook part %1 holds a text or an attribute of more than %2 characters</translation>
    </message>
    <message>
        <source>文件已损坏：工作簿中的 %1 嵌套超过 %2 层，不是工作簿的 XML</source>
        <translation>The file is damaged: the workbook part %1 nests elements more than %2 deep, which no workbook does</translation>
    </message>
    <message>
        <source>文件太大：工作簿的第 %1 个共享字符串超过 %2 个字符，没有单元格使用它</source>
        <translation>The file is too large: shared string %1 of the workbook has more than %2 characters, and no cell uses it</translation>
    </message>
    <message>
        <source>文件太大：一次最多导入 %1 个单元格、%2 个字符，此文件超出了这一限度</source>
        <translation>The file is too large: one import takes at most %1 cells and %2 characters, and this file holds more</translation>
    </message>
</context>
<context>
    <name>tarvo::suite::TableExport</name>
    <message>
        <source>打印数据无法读取</source>
        <translation>The print data cannot be read</translation>
    </message>
    <message>
        <source>无法建立工作簿</source>
        <translation>The workbook cannot be built</translation>
    </message>
    <message>
        <source>第 %1 行“%2”的文字超过一个单元格最多能容纳的 %3 个字符，请改存为 .csv 文件</source>
        <translation>The text of “%2” in row %1 is longer than the %3 characters a cell holds; save the list as a .csv file instead</translation>
    </message>
    <message>
        <source>清单超过一个工作表最多能容纳的 %1 行，请改存为 .csv 文件</source>
        <translation>The list is longer than the %1 rows a worksheet holds; save it as a .csv file instead</translation>
    </message>
    <message>
        <source>无法写入文件</source>
        <translation>The file cannot be written</translation>
    </message>
</context>
<context>
    <name>tarvo::suite::Pub</name>
    <message>
        <source>只能打印档案列表</source>
        <translation>Only an archive list can be printed</translation>
    </message>
    <message>
        <source>无法建立打印数据文件</source>
        <translation>Cannot create the print data file</translation>
    </message>
    <message>
        <source>无法写入打印数据文件</source>
        <translation>Cannot write the print data file</translation>
    </message>
    <message>
        <source>表格服务只能用于档案列表</source>
        <translation>The grid services work on an archive list only</translation>
    </message>
    <message>
        <source>无法取得%1的使用权：%2</source>
        <translation>Cannot take hold of %1: %2</translation>
    </message>
</context>
<context>
    <name>tarvo::suite::SessionRights</name>
    <message>
        <source>数据库登录角色“%1”不能以操作员“%2”的身份工作：该操作员没有指定给这个角色，请数据库管理员在操作员表中为其指定登录角色</source>
        <translation>The database login role "%1" cannot work as operator "%2": the operator is not tied to that role; the database administrator ties operators to login roles in the operator table</translation>
    </message>
    <message>
        <source>数据库登录角色“%1”没有添加记录的权限</source>
        <translation>The database login role "%1" may not add records</translation>
    </message>
    <message>
        <source>数据库登录角色“%1”没有修改记录的权限</source>
        <translation>The database login role "%1" may not modify records</translation>
    </message>
    <message>
        <source>数据库登录角色“%1”没有删除记录的权限</source>
        <translation>The database login role "%1" may not delete records</translation>
    </message>
</context>
<context>
    <name>tarvo::suite::LedgerObjects</name>
    <message>
        <source>科目参照没有打开的账套数据库</source>
        <translation>The ledger account lookup has no open account database</translation>
    </message>
    <message>
        <source>读取会计科目失败</source>
        <translation>Reading the ledger accounts failed</translation>
    </message>
</context>
</TS>
