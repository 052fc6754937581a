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
        <source>--check 和 --commit 要和 --import 一起使用</source>
        <translation>--check and --commit go with --import</translation>
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
        <translation>There is no system &quot;%1&quot;. The systems: NB, or none.</translation>
    </message>
    <message>
        <source>窗口大小“%1”无效，应写成 宽x高，如 1280x800（至少 640x400）</source>
        <translation>The window size &quot;%1&quot; is not valid: write it WIDTHxHEIGHT, such as 1280x800 (at least 640x400)</translation>
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
        <translation>The card has no control named &quot;%1&quot;</translation>
    </message>
    <message>
        <source>“%1”不打开参照或日历</source>
        <translation>&quot;%1&quot; opens no pick list or calendar</translation>
    </message>
</context>
</TS>
