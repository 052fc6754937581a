<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>Host</name>
    <message>
        <source>基础档案</source>
        <translation>Basic Archives</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>--check 和 --commit 只能选一个</source>
        <translation>Give only one of --check and --commit</translation>
    </message>
    <message>
        <source>--check 和 --commit 要和 --import 或 --branches 一起使用</source>
        <translation>--check and --commit go with --import or --branches</translation>
    </message>
    <message>
        <source>--import 和 --branches 只能选一个</source>
        <translation>Give only one of --import and --branches</translation>
    </message>
    <message>
        <source>--branches 要和 --check、--commit 或 --screenshot 之一一起使用</source>
        <translation>--branches goes with one of --check, --commit or --screenshot</translation>
    </message>
    <message>
        <source>--confirm-lengths 只用于 --import</source>
        <translation>--confirm-lengths is only for --import</translation>
    </message>
    <message>
        <source>要导入联行号目录的 .csv 或 .xlsx 文件（行名行号文件）：配合 --screenshot 在银行账户列表中截取导入预览，或配合 --check、--commit 不打开窗口地检查或导入</source>
        <translation>A .csv or .xlsx file of bank branches and their interbank codes to import into the branch directory: with --screenshot, picture its import preview over the bank accounts list; with --check or --commit, check or import it without a window</translation>
    </message>
    <message>
        <source>--confirm-lengths 只用于 --check 或 --commit</source>
        <translation>--confirm-lengths is only for --check or --commit</translation>
    </message>
    <message>
        <source>--check 和 --commit 不打开窗口，不能与 --screenshot、--card 或 --export 同用</source>
        <translation>--check and --commit open no window and do not go with --screenshot, --card or --export</translation>
    </message>
    <message>
        <source>--import 要和 --check、--commit 或 --screenshot 之一一起使用</source>
        <translation>--import goes with one of --check, --commit or --screenshot</translation>
    </message>
    <message>
        <source>不提供档案“%1”。可以打开的档案：%2。</source>
        <translation>There is no archive "%1". The archives that open: %2.</translation>
    </message>
    <message>
        <source>门户菜单“%1”不存在。可用的菜单：%2。</source>
        <translation>There is no portal menu "%1". The menus: %2.</translation>
    </message>
    <message>
        <source>卡片命令“%1”无效，应为 %2 之一。</source>
        <translation>The card command "%1" is not valid; it is one of %2.</translation>
    </message>
    <message>
        <source>没有输出到“%1”</source>
        <translation>Nothing was written to "%1"</translation>
    </message>
    <message>
        <source>列表中没有记录，无法打开修改卡片</source>
        <translation>The list has no records, so no card opens to modify one</translation>
    </message>
    <message>
        <source>不提供系统标识“%1”。可用的系统标识：NB，或不给出。</source>
        <translation>There is no system "%1". The systems: NB, or none.</translation>
    </message>
    <message>
        <source>窗口大小“%1”无效，应写成 宽x高，如 1280x800（至少 640x400）</source>
        <translation>The window size "%1" is not valid: write it WIDTHxHEIGHT, such as 1280x800 (at least 640x400)</translation>
    </message>
    <message>
        <source>列表中没有记录，无法打开修改卡片</source>
        <translation>The list has no records, so no card opens to modify</translation>
    </message>
    <message>
        <source>没有可以截图的窗口</source>
        <translation>no window to take a picture of</translation>
    </message>
    <message>
        <source>卡片上没有名为“%1”的控件</source>
        <translation>The card has no control named "%1"</translation>
    </message>
    <message>
        <source>“%1”不打开参照或日历</source>
        <translation>"%1" opens no pick list or calendar</translation>
    </message>
    <message>
        <source>列出选项后退出</source>
        <translation>Show the options and exit</translation>
    </message>
    <message>
        <source>列出选项和 Qt 的选项后退出</source>
        <translation>Show the options together with those of Qt and exit</translation>
    </message>
    <message>
        <source>显示版本后退出</source>
        <translation>Show the version and exit</translation>
    </message>
    <message>
        <source>要打开的档案：%1</source>
        <translation>The archive to open: %1</translation>
    </message>
    <message>
        <source> 或 </source>
        <translation> or </translation>
    </message>
    <message>
        <source>经门户打开的菜单：%1</source>
        <translation>Open through the portal: menu %1</translation>
    </message>
    <message>
        <source>系统标识：NB，或不给出</source>
        <translation>The system id: NB, or none</translation>
    </message>
    <message>
        <source>账套数据库：SQLite 文件或 postgresql:// 地址</source>
        <translation>The accounting database: an SQLite file or a postgresql:// URL</translation>
    </message>
    <message>
        <source>操作员编号</source>
        <translation>The operator who logs in</translation>
    </message>
    <message>
        <source>界面语言：zh-CN 或 en-US；不给出时按系统的区域设置</source>
        <translation>The language of the session: zh-CN or en-US; without it, the system's locale chooses</translation>
    </message>
    <message>
        <source>打开窗口、保存截图后退出</source>
        <translation>Open the window, save a picture of it and exit</translation>
    </message>
    <message>
        <source>截图时先从列表打开窗口：Add、Modify、Preview、Filter、FindSet、Pos、FieldSet、Help、About、History 或 Import</source>
        <translation>With --screenshot, first open this from the list: Add, Modify, Preview, Filter, FindSet, Pos, FieldSet, Help, About, History or Import</translation>
    </message>
    <message>
        <source>截图时在卡片上打开参照或日历：按钮或参照框的名称，如 cmdref4、EdtdOpenAccDate</source>
        <translation>With --screenshot, open the reference or calendar of a card control, named by its button or reference edit, such as cmdref4 or EdtdOpenAccDate</translation>
    </message>
    <message>
        <source>不打开窗口，把列表输出到文件（.xlsx、.csv 或 .pdf）后退出</source>
        <translation>Without a window, write the list to a file (.xlsx, .csv or .pdf) and exit</translation>
    </message>
    <message>
        <source>截图时先在列表的搜索框中输入文字，如 gsyh</source>
        <translation>With --screenshot, first type this text into the list's search box, such as gsyh</translation>
    </message>
    <message>
        <source>截图时列表窗口的大小（像素），如 1280x800</source>
        <translation>With --screenshot, the size of the list window in pixels, such as 1280x800</translation>
    </message>
    <message>
        <source>要导入的 .csv 或 .xlsx 文件：配合 --screenshot 截取导入预览，或配合 --check、--commit 不打开窗口地检查或导入</source>
        <translation>A .csv or .xlsx file to import: with --screenshot, picture the import preview; with --check or --commit, check or import it without a window</translation>
    </message>
    <message>
        <source>逐行输出 --import 或 --branches 文件的检查结果，不保存；有行被拒绝时返回 1</source>
        <translation>Print the verdict of every row of the --import or --branches file and store nothing; status 1 when a row is refused</translation>
    </message>
    <message>
        <source>在一个事务中保存 --import 或 --branches 文件中通过检查的行，输出各行结果和条数</source>
        <translation>Store the rows of the --import or --branches file that pass the checks in one transaction, and print each row's verdict and the counts</translation>
    </message>
    <message>
        <source>--check、--commit 时接受不符合所属银行账号长度规则的银行账号</source>
        <translation>With --check or --commit, accept account numbers that break their bank's length rule</translation>
    </message>
    <message>
        <source>银行档案与本单位开户银行</source>
        <translation>Bank archive and company bank accounts</translation>
    </message>
    <message>
        <source>用法：%1 [选项]</source>
        <translation>Usage: %1 [options]</translation>
    </message>
    <message>
        <source>选项：</source>
        <translation>Options:</translation>
    </message>
    <message>
        <source>不支持的界面语言“%1”。可用的语言：%2。</source>
        <translation>The language "%1" is not supported. The languages: %2.</translation>
    </message>
    <message>
        <source>本单位开户银行(&amp;B)</source>
        <translation>Company &amp;Bank Accounts</translation>
    </message>
    <message>
        <source>银行档案(&amp;B)</source>
        <translation>&amp;Bank Archive</translation>
    </message>
    <message>
        <source>无法启动“%1”，请从桌面菜单打开。</source>
        <translation>"%1" could not be started; open it from the desktop menu.</translation>
    </message>
</context>
</TS>
