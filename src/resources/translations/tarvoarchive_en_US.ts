<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>tarvo::FrmHistory</name>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>操作员</source>
        <translation>Operator</translation>
    </message>
    <message>
        <source>登录账户</source>
        <translation>Login</translation>
    </message>
    <message>
        <source>操作</source>
        <translation>Action</translation>
    </message>
    <message>
        <source>编码</source>
        <translation>Code</translation>
    </message>
    <message>
        <source>字段</source>
        <translation>Field</translation>
    </message>
    <message>
        <source>原值</source>
        <translation>Before</translation>
    </message>
    <message>
        <source>新值</source>
        <translation>After</translation>
    </message>
    <message>
        <source>打印</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>预览</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>输出</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>增加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>修改</source>
        <translation>Modify</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>%1 修改记录</source>
        <translation>%1 Change History</translation>
    </message>
    <message>
        <source>%1 修改记录：%2</source>
        <translation>%1 Change History: %2</translation>
    </message>
    <message>
        <source>日期从</source>
        <translation>Date from</translation>
    </message>
    <message>
        <source>到</source>
        <translation>to</translation>
    </message>
    <message>
        <source>包含</source>
        <translation>Containing</translation>
    </message>
    <message>
        <source>编码、字段或值中的文字</source>
        <translation>Text in code, field or values</translation>
    </message>
    <message>
        <source>序号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>无法创建修改记录服务</source>
        <translation>The change history service cannot be created</translation>
    </message>
    <message>
        <source>全部字段</source>
        <translation>All fields</translation>
    </message>
    <message>
        <source>全部操作员</source>
        <translation>All operators</translation>
    </message>
    <message>
        <source>全部操作</source>
        <translation>All actions</translation>
    </message>
    <message numerus="yes">
        <source>共 %n 条</source>
        <translation>
            <numerusform>%n row</numerusform>
            <numerusform>%n rows</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>共 %n 条，显示 %1 条</source>
        <translation>
            <numerusform>%1 of %n row shown</numerusform>
            <numerusform>%1 of %n rows shown</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>tarvo::ImportPreview</name>
    <message>
        <source>选择文件...</source>
        <translation>Choose File...</translation>
    </message>
    <message>
        <source>导入</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>表格文件 (*.csv *.xlsx)</source>
        <translation>Table files (*.csv *.xlsx)</translation>
    </message>
    <message>
        <source>结果</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>说明</source>
        <translation>Remarks</translation>
    </message>
    <message>
        <source>只看拒绝的行</source>
        <translation>Refused rows only</translation>
    </message>
</context>
<context>
    <name>tarvo::FrmBranchImport</name>
    <message>
        <source>导入联行号目录</source>
        <translation>Import Branch Directory</translation>
    </message>
    <message>
        <source>文件行</source>
        <translation>File row</translation>
    </message>
    <message>
        <source>文件中已没有这个网点：导入后记为自 %1 起停用，不会删除</source>
        <translation>No longer in the file: marked retired as of %1 when imported, never deleted</translation>
    </message>
    <message>
        <source>正在读取文件…（Esc 停止）</source>
        <translation>Reading the file… (Esc stops)</translation>
    </message>
    <message>
        <source>正在与联行号目录核对：已核对 %1 个网点…（Esc 停止）</source>
        <translation>Checking against the branch directory: %1 branches checked… (Esc stops)</translation>
    </message>
    <message>
        <source>%1（只能预览：%2）</source>
        <translation>%1 (preview only: %2)</translation>
    </message>
    <message>
        <source>已停止，联行号目录保持不变：可重新选择文件</source>
        <translation>Stopped; the branch directory is unchanged. You can choose a file again</translation>
    </message>
</context>
<context>
    <name>tarvo::FrmImport</name>
    <message>
        <source>导入%1</source>
        <translation>Import %1</translation>
    </message>
    <message>
        <source>正在检查…（Esc 停止）</source>
        <translation>Checking… (Esc stops)</translation>
    </message>
    <message>
        <source>检查已停止：改选任一栏目即重新检查</source>
        <translation>Check stopped: choose a column&apos;s field again to check anew</translation>
    </message>
    <message>
        <source>行号</source>
        <translation>Row</translation>
    </message>
    <message>
        <source>导入到</source>
        <translation>Import into</translation>
    </message>
    <message>
        <source>（不导入）</source>
        <translation>(not imported)</translation>
    </message>
    <message>
        <source>请指定“%1”所在的列</source>
        <translation>Choose the column that holds "%1"</translation>
    </message>
    <message numerus="yes">
        <source>有 %n 行的银行账号不符合所属银行的企业账号规则（见“说明”栏）。仍要导入吗？</source>
        <translation>
            <numerusform>The account number of %n row does not follow its bank's rule for company accounts (see "Remarks"). Import it anyway?</numerusform>
            <numerusform>The account numbers of %n rows do not follow their bank's rule for company accounts (see "Remarks"). Import them anyway?</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>tarvo::ImportBatch</name>
    <message>
        <source>无法创建表格文件读取组件</source>
        <translation>Cannot create the table file reader component</translation>
    </message>
    <message>
        <source>无法导入“%1”：%2</source>
        <translation>Cannot import "%1": %2</translation>
    </message>
    <message>
        <source>“%1”中没有可导入的数据：第一行应为栏目名称，其后每行一条记录</source>
        <translation>"%1" holds nothing to import: the first row should hold the column captions, then one record per row</translation>
    </message>
    <message>
        <source>新增</source>
        <translation>New</translation>
    </message>
    <message>
        <source>修改</source>
        <translation>Changed</translation>
    </message>
    <message>
        <source>无变化</source>
        <translation>Unchanged</translation>
    </message>
    <message>
        <source>拒绝</source>
        <translation>Refused</translation>
    </message>
    <message>
        <source>提示：%1</source>
        <translation>Note: %1</translation>
    </message>
    <message numerus="yes">
        <source>共 %n 行：新增 %1，修改 %2，无变化 %3，拒绝 %4</source>
        <translation>
            <numerusform>%n row: %1 new, %2 changed, %3 unchanged, %4 refused</numerusform>
            <numerusform>%n rows: %1 new, %2 changed, %3 unchanged, %4 refused</numerusform>
        </translation>
    </message>
    <message>
        <source>导入完成：新增 %1 条，修改 %2 条。</source>
        <translation>Import finished: %1 new, %2 changed.</translation>
    </message>
    <message>
        <source>文件的第一行中没有“%1”这一栏</source>
        <translation>The first row of the file has no column "%1"</translation>
    </message>
    <message>
        <source>无法读取已有的编码</source>
        <translation>Cannot read the codes already stored</translation>
    </message>
    <message>
        <source>%1“%2”是电子表格去掉了前导零的“%3”，不能导入</source>
        <translation>%1 "%2" is the stored "%3" with its leading zeros dropped by a spreadsheet, so it cannot be imported</translation>
    </message>
    <message>
        <source>%1“%2”与已有的“%3”只差前导零，不能导入</source>
        <translation>%1 "%2" differs from the stored "%3" only in its leading zeros, so it cannot be imported</translation>
    </message>
    <message>
        <source>%1“%2”也是已有的“%3”去掉前导零的样子：文件如经过电子表格，这一行可能原是“%3”的，请核对</source>
        <translation>%1 "%2" is also what the stored "%3" looks like without its leading zeros: if the file went through a spreadsheet, this row may have been "%3"; please check it</translation>
    </message>
    <message>
        <source>；</source>
        <translation>; </translation>
    </message>
    <message>
        <source>无法读取已有的银行账户</source>
        <translation>Cannot read the bank accounts already stored</translation>
    </message>
    <message>
        <source>%1和%2与已有的“%3”相同，%4却不同（已有的是“%5”）：请核对是否为同一账户</source>
        <translation>%1 and %2 are those of the stored "%3", but the %4 differs (the stored one is "%5"): please check whether it is the same account</translation>
    </message>
    <message>
        <source>%1和%2不变，%3却由“%4”改为“%5”：请核对%3</source>
        <translation>%1 and %2 stay the same, but the %3 changes from "%4" to "%5": please check the %3</translation>
    </message>
    <message>
        <source>无法读取联行号目录</source>
        <translation>The branch directory could not be read</translation>
    </message>
</context>
<context>
    <name>tarvo::FrmMain</name>
    <message>
        <source>只读：本会话只能查看和输出</source>
        <translation>Read-only: this session may only view and export</translation>
    </message>
    <message numerus="yes">
        <source>正在准备打印数据… %Ln 行（Esc 停止）</source>
        <translation>
            <numerusform>Preparing the print data… %Ln row (Esc stops)</numerusform>
            <numerusform>Preparing the print data… %Ln rows (Esc stops)</numerusform>
        </translation>
    </message>
    <message>
        <source>正在打印…（Esc 停止）</source>
        <translation>Printing… (Esc stops)</translation>
    </message>
    <message>
        <source>正在输出…（Esc 停止）</source>
        <translation>Exporting… (Esc stops)</translation>
    </message>
    <message>
        <source>列表只有读取停止前读入的行。打印和输出只对完整的列表进行，请先刷新（F9）。</source>
        <translation>The list holds only the rows read before the reading was stopped. Printing and export take whole lists: refresh it first (F9).</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Set Up</translation>
    </message>
    <message>
        <source>打印</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>预览</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>输出</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>增加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>修改</source>
        <translation>Modify</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>过滤</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>定位</source>
        <translation>Locate</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>栏目</source>
        <translation>Columns</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>文件(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>页面设置(&amp;U)...</source>
        <translation>Page Set&amp;up...</translation>
    </message>
    <message>
        <source>打印序号(&amp;N)</source>
        <translation>Print Row &amp;Numbers</translation>
    </message>
    <message>
        <source>打印(&amp;P)...   Ctrl+P</source>
        <translation>&amp;Print...   Ctrl+P</translation>
    </message>
    <message>
        <source>打印预览(&amp;V)</source>
        <translation>Print Pre&amp;view</translation>
    </message>
    <message>
        <source>输出(&amp;S)</source>
        <translation>&amp;Export...</translation>
    </message>
    <message>
        <source>退出(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>操作(&amp;O)</source>
        <translation>&amp;Operation</translation>
    </message>
    <message>
        <source>添加(&amp;A)   F5</source>
        <translation>&amp;Add   F5</translation>
    </message>
    <message>
        <source>修改(&amp;M)   F7</source>
        <translation>&amp;Modify   F7</translation>
    </message>
    <message>
        <source>删除(&amp;D)   Del</source>
        <translation>&amp;Delete   Del</translation>
    </message>
    <message>
        <source>过滤(&amp;F)   F3</source>
        <translation>&amp;Filter   F3</translation>
    </message>
    <message>
        <source>刷新        F9</source>
        <translation>Refresh   F9</translation>
    </message>
    <message>
        <source>过滤设置(&amp;T)</source>
        <translation>Filter Se&amp;t-up</translation>
    </message>
    <message>
        <source>窗口(&amp;W)</source>
        <translation>&amp;Window</translation>
    </message>
    <message>
        <source>图标按钮(&amp;I)</source>
        <translation>&amp;Icon Buttons</translation>
    </message>
    <message>
        <source>状态栏(&amp;S)</source>
        <translation>&amp;Status Bar</translation>
    </message>
    <message>
        <source>帮助(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>帮助   F1</source>
        <translation>Help   F1</translation>
    </message>
    <message>
        <source>关于(&amp;A)...</source>
        <translation>&amp;About...</translation>
    </message>
    <message>
        <source>排序</source>
        <translation>Sort</translation>
    </message>
    <message>
        <source>升序</source>
        <translation>Ascending</translation>
    </message>
    <message>
        <source>降序</source>
        <translation>Descending</translation>
    </message>
    <message>
        <source>无法创建关于对话框组件</source>
        <translation>The about box component cannot be created</translation>
    </message>
    <message>
        <source>已过滤：%1</source>
        <translation>Filtered: %1</translation>
    </message>
    <message>
        <source>清除过滤</source>
        <translation>Clear filter</translation>
    </message>
    <message>
        <source>修改记录</source>
        <translation>History</translation>
    </message>
    <message>
        <source>修改记录(&amp;H)   Ctrl+H</source>
        <translation>&amp;History   Ctrl+H</translation>
    </message>
    <message>
        <source>导入</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>导入(&amp;I)...</source>
        <translation>&amp;Import...</translation>
    </message>
    <message>
        <source>导入联行号目录(&amp;B)...</source>
        <translation>Import &amp;Branch Directory...</translation>
    </message>
    <message>
        <source>导入联行号目录</source>
        <translation>Import Branch Directory</translation>
    </message>
    <message>
        <source>导入%1</source>
        <translation>Import %1</translation>
    </message>
    <message>
        <source>表格文件 (*.csv *.xlsx)</source>
        <translation>Table files (*.csv *.xlsx)</translation>
    </message>
    <message>
        <source>联行号待核对</source>
        <translation>Interbank codes to check</translation>
    </message>
</context>
<context>
    <name>tarvo::ListLoader</name>
    <message numerus="yes">
        <source>正在读取… %Ln 行（Esc 停止）</source>
        <translation>
            <numerusform>Reading… %Ln row (Esc stops)</numerusform>
            <numerusform>Reading… %Ln rows (Esc stops)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>已停止读取：列出读入的 %Ln 条记录，F9 读取全部</source>
        <translation>
            <numerusform>Reading stopped: the %Ln record read is listed; F9 reads them all</numerusform>
            <numerusform>Reading stopped: the %Ln records read are listed; F9 reads them all</numerusform>
        </translation>
    </message>
    <message>
        <source>与数据库的连接在读取列表时中断，列表没有读完。
%1</source>
        <translation>The connection to the database was lost while the list was read; the list was not read to its end.
%1</translation>
    </message>
</context>
<context>
    <name>tarvo::FrmZAM</name>
    <message>
        <source>保存客户档案</source>
        <translation>Save the record</translation>
    </message>
    <message>
        <source>将添加或修改的客户档案保存</source>
        <translation>Saves the record added or modified</translation>
    </message>
    <message>
        <source>没有打开档案列表</source>
        <translation>No archive list is open</translation>
    </message>
    <message>
        <source>已保存：%1</source>
        <translation>Saved: %1</translation>
    </message>
    <message>
        <source>正在保存…</source>
        <translation>Saving…</translation>
    </message>
    <message>
        <source>有未保存的修改：F6 保存，退出 放弃</source>
        <translation>Unsaved changes: F6 saves them, Exit discards them</translation>
    </message>
    <message>
        <source>修改记录</source>
        <translation>History</translation>
    </message>
    <message>
        <source>查看本记录的修改记录（Ctrl+H）</source>
        <translation>Show the change history of this record (Ctrl+H)</translation>
    </message>
    <message>
        <source>新增的记录还没有保存，没有修改记录</source>
        <translation>The new record has not been saved yet and has no history</translation>
    </message>
</context>
<context>
    <name>tarvo::ImportRows</name>
    <message>
        <source>“%1”中含有不能使用的字符 %2</source>
        <translation>"%1" holds the character %2, which cannot be used</translation>
    </message>
    <message>
        <source>“%1”中含有不能使用的字符 %2（不能使用 &lt; &gt; &apos; &quot; | &amp; , 这些字符）</source>
        <translation>"%1" holds the character %2, which cannot be used (&lt; &gt; ' " | &amp; , are not allowed)</translation>
    </message>
    <message>
        <source>“%1”只能是不超过两位的数字，不能是“%2”</source>
        <translation>"%1" must be a number of at most two digits, not "%2"</translation>
    </message>
    <message>
        <source>“%1”只能由数字组成，不能是“%2”</source>
        <translation>"%1" may hold digits only, not "%2"</translation>
    </message>
    <message>
        <source>“%1”只能是这些之一：%2；不能是“%3”</source>
        <translation>"%1" must be one of: %2; not "%3"</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>“%1”只能是“%2”或“%3”，不能是“%4”</source>
        <translation>"%1" must be "%2" or "%3", not "%4"</translation>
    </message>
    <message>
        <source>银行档案中没有名为“%1”的银行</source>
        <translation>The bank archive holds no bank named "%1"</translation>
    </message>
    <message>
        <source>银行档案中有多个名为“%1”的银行，请改用银行编码</source>
        <translation>The bank archive holds several banks named "%1"; use the bank code instead</translation>
    </message>
    <message>
        <source>会计科目中没有名为“%1”的末级科目</source>
        <translation>The chart of accounts holds no end-level account named "%1"</translation>
    </message>
    <message>
        <source>会计科目中有多个名为“%1”的末级科目，请改用科目编码</source>
        <translation>The chart of accounts holds several end-level accounts named "%1"; use the account code instead</translation>
    </message>
    <message>
        <source>%1“%2”是电子表格改写成的科学计数法，原%1已丢失</source>
        <translation>%1 "%2" was rewritten in exponent notation by a spreadsheet; the original %1 is lost</translation>
    </message>
    <message>
        <source>%1“%2”应为 12 位数字，或不填</source>
        <translation>%1 "%2" must be 12 digits, or left empty</translation>
    </message>
    <message>
        <source>%1“%2”不在联行号目录中：目录可能比银行的通知旧，请核对</source>
        <translation>%1 "%2" is not in the branch directory: the directory may be older than the bank&apos;s notice, please check it</translation>
    </message>
    <message>
        <source>%1“%2”在联行号目录中已于 %3 停用，请核对</source>
        <translation>%1 "%2" was retired from the branch directory on %3, please check it</translation>
    </message>
    <message>
        <source>%1已按联行号填写</source>
        <translation>%1 filled in from the interbank code</translation>
    </message>
</context>
<context>
    <name>tarvo::ListQuickSearch</name>
    <message>
        <source>搜索 编码/名称/账号/拼音</source>
        <translation>Search code/name/account/pinyin</translation>
    </message>
    <message>
        <source>正在建立搜索索引… %1%</source>
        <translation>Building the search index… %1%</translation>
    </message>
    <message>
        <source>正在搜索… %1%</source>
        <translation>Searching… %1%</translation>
    </message>
</context>
<context>
    <name>tarvo::Messages</name>
    <message>
        <source>“%1”的卡片尚未提供</source>
        <translation>There is no card for &quot;%1&quot; yet</translation>
    </message>
    <message>
        <source>对象变量未设置：没有取得账套参数</source>
        <translation>Object variable not set: the account settings were not read</translation>
    </message>
    <message>
        <source>账套参数中的余额小数位数“%1”超出范围（0～%2），本次按 %3 位显示，请在账套参数中改正。</source>
        <translation>The balance decimals &quot;%1&quot; of the account settings are out of range (0 to %2); %3 decimals are shown this time. Please correct the account settings.</translation>
    </message>
    <message>
        <source>无效的过程调用或参数：标记 %1 的结束标记在开始标记之前</source>
        <translation>Invalid procedure call or argument: the end tag of %1 stands before its start tag</translation>
    </message>
    <message>
        <source>不提供ArchiveName服务！</source>
        <translation>This archive name is not served!</translation>
    </message>
    <message>
        <source>对象变量未设置：门户没有提供业务对象</source>
        <translation>Object variable not set: the portal provided no business object</translation>
    </message>
    <message>
        <source>无法创建打印控件</source>
        <translation>The print control cannot be created</translation>
    </message>
    <message>
        <source>没有提供表（%1）服务！</source>
        <translation>Table %1 is not served!</translation>
    </message>
    <message>
        <source>无法核对“%1”：查询表“%2”失败，请检查数据库连接。</source>
        <translation>&quot;%1&quot; cannot be checked: reading table &quot;%2&quot; failed. Please check the database connection.</translation>
    </message>
    <message>
        <source>无法创建部件“%1”</source>
        <translation>The component &quot;%1&quot; cannot be created</translation>
    </message>
    <message>
        <source>没有登录信息</source>
        <translation>There is no login information</translation>
    </message>
    <message>
        <source>无法打开账套数据库“%1”</source>
        <translation>The account database &quot;%1&quot; cannot be opened</translation>
    </message>
    <message>
        <source>总账公共部件初始化失败</source>
        <translation>The ledger&apos;s common component failed to start</translation>
    </message>
</context>
<context>
    <name>tarvo::Resources</name>
    <message>
        <source>找不到资源文件中的图片 %1（%2）</source>
        <translation>Picture %1 (%2) is missing from the resources</translation>
    </message>
    <message>
        <source>图标</source>
        <translation>icon</translation>
    </message>
    <message>
        <source>位图</source>
        <translation>bitmap</translation>
    </message>
    <message>
        <source>提示信息</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>101－－199 公共信息</source>
        <translation>101-199 common texts</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>首张</source>
        <translation>First</translation>
    </message>
    <message>
        <source>第一条记录</source>
        <translation>First record</translation>
    </message>
    <message>
        <source>上张</source>
        <translation>Previous</translation>
    </message>
    <message>
        <source>前一条记录</source>
        <translation>Previous record</translation>
    </message>
    <message>
        <source>下张</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>后一条记录</source>
        <translation>Next record</translation>
    </message>
    <message>
        <source>末张</source>
        <translation>Last</translation>
    </message>
    <message>
        <source>最后一条记录</source>
        <translation>Last record</translation>
    </message>
    <message>
        <source>返回</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
</context>
<context>
    <name>tarvo::UnionBankCheck</name>
    <message>
        <source>联行号待核对</source>
        <translation>Interbank codes to check</translation>
    </message>
    <message>
        <source>缺少 %1</source>
        <translation>missing %1</translation>
    </message>
    <message>
        <source>不是 12 位数字 %1</source>
        <translation>not 12 digits %1</translation>
    </message>
    <message>
        <source>目录中没有 %1</source>
        <translation>not in the directory %1</translation>
    </message>
    <message>
        <source>已停用 %1</source>
        <translation>retired %1</translation>
    </message>
    <message>
        <source>%1（%2）</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>，</source>
        <translation>, </translation>
    </message>
</context>
<context>
    <name>tarvo::BranchImport</name>
    <message numerus="yes">
        <source>共 %n 行：新增 %1，修改 %2，无变化 %3，拒绝 %4；停用 %5</source>
        <translation>
            <numerusform>%n row: %1 new, %2 changed, %3 unchanged, %4 refused; %5 retired</numerusform>
            <numerusform>%n rows: %1 new, %2 changed, %3 unchanged, %4 refused; %5 retired</numerusform>
        </translation>
    </message>
    <message>
        <source>行号</source>
        <translation>Branch Code</translation>
    </message>
    <message>
        <source>行名</source>
        <translation>Branch Name</translation>
    </message>
    <message>
        <source>所属银行行号</source>
        <translation>Head Bank Code</translation>
    </message>
    <message>
        <source>所属银行名称</source>
        <translation>Head Bank</translation>
    </message>
    <message>
        <source>城市代码</source>
        <translation>City Code</translation>
    </message>
    <message>
        <source>城市</source>
        <translation>City</translation>
    </message>
    <message>
        <source>省份</source>
        <translation>Province</translation>
    </message>
    <message>
        <source>新增</source>
        <translation>New</translation>
    </message>
    <message>
        <source>修改</source>
        <translation>Changed</translation>
    </message>
    <message>
        <source>无变化</source>
        <translation>Unchanged</translation>
    </message>
    <message>
        <source>停用</source>
        <translation>Retired</translation>
    </message>
    <message>
        <source>拒绝</source>
        <translation>Refused</translation>
    </message>
    <message>
        <source>无法创建表格文件读取组件</source>
        <translation>Cannot create the table file reader component</translation>
    </message>
    <message>
        <source>无法导入“%1”：%2</source>
        <translation>Cannot import &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>“%1”中没有联行号：第一行应为栏目名称（行号、行名……），其后每行一个网点</source>
        <translation>&quot;%1&quot; holds no branches: the first row should hold the column captions (Branch Code, Branch Name …), then one branch per row</translation>
    </message>
    <message>
        <source>“%1”不是联行号文件：第一行中没有“%2”这一栏</source>
        <translation>&quot;%1&quot; is no branch directory file: its first row has no column &quot;%2&quot;</translation>
    </message>
    <message>
        <source>”和“</source>
        <translation>&quot; and &quot;</translation>
    </message>
    <message>
        <source>“%1”中含有不能使用的字符 %2</source>
        <translation>&quot;%1&quot; holds a character that cannot be used: %2</translation>
    </message>
    <message>
        <source>“%1”中含有不能使用的字符 %2（不能使用 &lt; &gt; ' &quot; | &amp; , 这些字符）</source>
        <translation>&quot;%1&quot; holds a character that cannot be used: %2 (&lt; &gt; ' &quot; | &amp; , cannot be used)</translation>
    </message>
    <message>
        <source>缺少行号</source>
        <translation>The branch code is missing</translation>
    </message>
    <message>
        <source>行号“%1”是电子表格改写成的科学计数法，原行号已丢失</source>
        <translation>The branch code &quot;%1&quot; is a spreadsheet's exponent notation; the code itself is lost</translation>
    </message>
    <message>
        <source>行号“%1”只有 %2 位，应为 12 位数字（电子表格可能去掉了开头的 0）</source>
        <translation>The branch code &quot;%1&quot; has %2 digits where 12 are needed (a spreadsheet may have dropped leading zeros)</translation>
    </message>
    <message>
        <source>行号应为 12 位数字，不能是“%1”</source>
        <translation>A branch code is 12 digits, not &quot;%1&quot;</translation>
    </message>
    <message>
        <source>缺少行名</source>
        <translation>The branch name is missing</translation>
    </message>
    <message>
        <source>所属银行行号应为 3 位数字，不能是“%1”</source>
        <translation>A head bank code is 3 digits, not &quot;%1&quot;</translation>
    </message>
    <message>
        <source>城市代码只能由数字组成，不能是“%1”</source>
        <translation>A city code holds digits only, not &quot;%1&quot;</translation>
    </message>
    <message>
        <source>“%1”不能超过 %2 个字</source>
        <translation>&quot;%1&quot; cannot be longer than %2 characters</translation>
    </message>
    <message>
        <source>行号在文件中出现了 %1 次（第 %2 行）</source>
        <translation>The branch code appears %1 times in the file (rows %2)</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>无法创建联行号目录组件</source>
        <translation>Cannot create the branch directory component</translation>
    </message>
    <message>
        <source>重新列入（%1 起停用）</source>
        <translation>listed again (retired since %1)</translation>
    </message>
    <message>
        <source>%1：“%2”改为“%3”</source>
        <translation>%1: &quot;%2&quot; becomes &quot;%3&quot;</translation>
    </message>
    <message>
        <source>；</source>
        <translation>; </translation>
    </message>
    <message>
        <source>文件中没有一行可以导入，联行号目录保持不变</source>
        <translation>No row of the file can be imported; the branch directory stays as it is</translation>
    </message>
    <message>
        <source>联行号目录已保存：新增 %1，修改 %2，停用 %3。</source>
        <translation>Branch directory stored: %1 new, %2 changed, %3 retired.</translation>
    </message>
</context>
<context>
    <name>tarvo::BranchRowsModel</name>
    <message>
        <source>联行号</source>
        <translation>Union Bank No.</translation>
    </message>
    <message>
        <source>行名</source>
        <translation>Branch</translation>
    </message>
    <message>
        <source>所属银行</source>
        <translation>Bank</translation>
    </message>
    <message>
        <source>城市</source>
        <translation>City</translation>
    </message>
    <message>
        <source>省份</source>
        <translation>Province</translation>
    </message>
    <message>
        <source>撤销日期</source>
        <translation>Retired on</translation>
    </message>
</context>
<context>
    <name>tarvo::BranchPickList</name>
    <message>
        <source>联行号目录</source>
        <translation>Branch directory</translation>
    </message>
    <message>
        <source>查找(&amp;F)：</source>
        <translation>&amp;Find:</translation>
    </message>
    <message>
        <source>行号开头、行名的一部分、拼音首字母，或银行和城市，如“工商 杭州”</source>
        <translation>Start of the code, part of the name, pinyin initials, or bank and city, e.g. &quot;工商 杭州&quot;</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>正在读取联行号目录…</source>
        <translation>Reading the branch directory…</translation>
    </message>
    <message>
        <source>没能读取联行号目录：%1</source>
        <translation>Could not read the branch directory: %1</translation>
    </message>
    <message>
        <source>共 %1 个网点</source>
        <translation>%1 branches</translation>
    </message>
    <message>
        <source>找到 %1 个网点，共 %2 个</source>
        <translation>%1 of %2 branches found</translation>
    </message>
</context>
<context>
    <name>BranchIndexLoad</name>
    <message>
        <source>联行号目录的读取组件不可用。</source>
        <translation>The branch directory cannot be read: the suite does not provide it.</translation>
    </message>
    <message>
        <source>不能连接账套数据库。</source>
        <translation>Cannot connect to the accounting database.</translation>
    </message>
</context>
</TS>
