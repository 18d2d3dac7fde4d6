<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>TerminalTableActions</name>
    <message>
        <source>复制 IP地址</source>
        <translation>Copy IP address</translation>
    </message>
    <message>
        <source>复制 MAC地址</source>
        <translation>Copy MAC address</translation>
    </message>
    <message>
        <source>复制整行</source>
        <translation>Copy row</translation>
    </message>
</context>
<context>
    <name>TerminalExport</name>
    <message>
        <source>导出列表</source>
        <translation>Export list</translation>
    </message>
    <message>
        <source>CSV 文件 (*.csv)</source>
        <translation>CSV files (*.csv)</translation>
    </message>
    <message>
        <source>无法保存 %1：%2</source>
        <translation>Cannot save %1: %2</translation>
    </message>
</context>
<context>
    <name>QueryTool</name>
    <message>
        <source>设备列表</source>
        <translation>Device list</translation>
    </message>
    <message>
        <source>设备型号</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>设备ID</source>
        <translation>Device ID</translation>
    </message>
    <message>
        <source>设备状态</source>
        <translation>State</translation>
    </message>
    <message>
        <source>固件版本</source>
        <translation>Firmware</translation>
    </message>
    <message>
        <source>IP地址</source>
        <translation>IP address</translation>
    </message>
    <message>
        <source>MAC地址</source>
        <translation>MAC address</translation>
    </message>
    <message>
        <source>筛选：</source>
        <translation>Filter:</translation>
    </message>
    <message>
        <source>型号、ID、状态、固件、IP 或 MAC</source>
        <translation>Model, ID, state, firmware, IP or MAC</translation>
    </message>
    <message>
        <source>导出列表…</source>
        <translation>Export list…</translation>
    </message>
    <message>
        <source>发现0个设备</source>
        <translation>0 devices found</translation>
    </message>
    <message>
        <source>进入升级</source>
        <translation>Enter upgrade</translation>
    </message>
    <message>
        <source>重启设备</source>
        <translation>Reboot device</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>开始搜索</source>
        <translation>Start search</translation>
    </message>
    <message>
        <source>配置</source>
        <translation>Configuration</translation>
    </message>
    <message>
        <source>接口</source>
        <translation>Interface</translation>
    </message>
    <message>
        <source>以太网</source>
        <translation>Ethernet</translation>
    </message>
    <message>
        <source>IP 地址：</source>
        <translation>IP address:</translation>
    </message>
    <message>
        <source>MAC地址：</source>
        <translation>MAC address:</translation>
    </message>
    <message>
        <source>固件信息</source>
        <translation>Firmware information</translation>
    </message>
    <message>
        <source>载入固件</source>
        <translation>Load firmware</translation>
    </message>
    <message>
        <source>名称：</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>大小：</source>
        <translation>Size:</translation>
    </message>
    <message>
        <source>日期：</source>
        <translation>Date:</translation>
    </message>
    <message>
        <source>设备重启</source>
        <translation>Reboot device</translation>
    </message>
    <message>
        <source>升级设备</source>
        <translation>Upgrade device</translation>
    </message>
    <message>
        <source>固件数据</source>
        <translation>Firmware data</translation>
    </message>
    <message>
        <source>提示信息</source>
        <translation>Messages</translation>
    </message>
    <message>
        <source>高级配置</source>
        <translation>Advanced configuration</translation>
    </message>
    <message>
        <source>参数属性</source>
        <translation>Parameters</translation>
    </message>
    <message>
        <source>目标IP：</source>
        <translation>Target IP:</translation>
    </message>
    <message>
        <source>终端音量设置</source>
        <translation>Terminal volume</translation>
    </message>
    <message>
        <source>高音：</source>
        <translation>Treble:</translation>
    </message>
    <message>
        <source>低音：</source>
        <translation>Bass:</translation>
    </message>
    <message>
        <source>播放音量：</source>
        <translation>Playback volume:</translation>
    </message>
    <message>
        <source>        [播放终端有效]</source>
        <translation>        [playback terminals only]</translation>
    </message>
    <message>
        <source>系统设置</source>
        <translation>System settings</translation>
    </message>
    <message>
        <source>一键更改所有终端服务器IP地址：</source>
        <translation>Set the server IP of all terminals:</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>一键重启所有终端</source>
        <translation>Reboot all terminals</translation>
    </message>
    <message>
        <source>[升级状态无效]</source>
        <translation>[not in upgrade state]</translation>
    </message>
    <message>
        <source>一键所有终端进入升级状态</source>
        <translation>Put all terminals into upgrade state</translation>
    </message>
    <message>
        <source>[注意：按下会使所以终端都进入升级状，如果取消升级，可使设备断电重启]</source>
        <translation>[Note: all terminals enter upgrade state; power-cycle a device to cancel]</translation>
    </message>
    <message>
        <source>找到%1个设备</source>
        <translation>Found %1 devices</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>搜索请求未能发出，请检查网络连接！</source>
        <translation>The search request could not be sent. Check the network connection!</translation>
    </message>
    <message>
        <source>命令未能发出，请检查网络连接！</source>
        <translation>The command could not be sent. Check the network connection!</translation>
    </message>
    <message>
        <source>无法打开UDP端口%1，该端口可能已被其他程序占用。</source>
        <translation>Cannot open UDP port %1; another program may be using it.</translation>
    </message>
    <message>
        <source>tips</source>
        <translation>Tips</translation>
    </message>
    <message>
        <source>Get Term Info Error!</source>
        <translation>Could not read the terminal's parameters!</translation>
    </message>
</context>
<context>
    <name>QueryConflictsDialog</name>
    <message>
        <source>冲突检测</source>
        <translation>Conflict check</translation>
    </message>
    <message>
        <source>终端 IP 冲突</source>
        <translation>Terminal IP conflicts</translation>
    </message>
    <message>
        <source>终端 ID 冲突</source>
        <translation>Terminal ID conflicts</translation>
    </message>
    <message>
        <source>MAC 地址冲突</source>
        <translation>MAC address conflicts</translation>
    </message>
    <message>
        <source>导出列表…</source>
        <translation>Export list…</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>TerminalSettingDialog</name>
    <message>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>基本设置</source>
        <translation>Basic</translation>
    </message>
    <message>
        <source>描述</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>终端  ID：</source>
        <translation>Terminal ID:</translation>
    </message>
    <message>
        <source>（终端ID号码为1至9999，每个终端设备单独占用一个ID,不可重复)</source>
        <translation>(Terminal IDs run from 1 to 9999; each terminal needs an ID of its own)</translation>
    </message>
    <message>
        <source>自动获取 IP 地址</source>
        <translation>Obtain an IP address automatically</translation>
    </message>
    <message>
        <source>使用下面的 IP 地址</source>
        <translation>Use the following IP address</translation>
    </message>
    <message>
        <source>IP  地址：</source>
        <translation>IP address:</translation>
    </message>
    <message>
        <source>子网掩码：</source>
        <translation>Subnet mask:</translation>
    </message>
    <message>
        <source>默认网关：</source>
        <translation>Default gateway:</translation>
    </message>
    <message>
        <source>使用下面的服务器地址：</source>
        <translation>Use the following server address:</translation>
    </message>
    <message>
        <source>首选服务器 IP：</source>
        <translation>Preferred server IP:</translation>
    </message>
    <message>
        <source>备用服务器 IP：</source>
        <translation>Alternate server IP:</translation>
    </message>
    <message>
        <source>对讲参数</source>
        <translation>Talkback</translation>
    </message>
    <message>
        <source>播放音量：</source>
        <translation>Playback volume:</translation>
    </message>
    <message>
        <source>采集音量：</source>
        <translation>Capture volume:</translation>
    </message>
    <message>
        <source>勾选此项表示单独设置对讲参数，其他参数忽略，采集音量10以下效果最好</source>
        <translation>Only these volumes are sent; capture below 10 works best</translation>
    </message>
    <message>
        <source>高级设置</source>
        <translation>Advanced</translation>
    </message>
    <message>
        <source>指定服务器端口：</source>
        <translation>Server port:</translation>
    </message>
    <message>
        <source>更改终端网卡硬件地址：</source>
        <translation>Change the MAC address:</translation>
    </message>
    <message>
        <source>指定网口速度：</source>
        <translation>Link speed:</translation>
    </message>
    <message>
        <source>自适应</source>
        <translation>Auto</translation>
    </message>
    <message>
        <source>10M</source>
        <translation>10M</translation>
    </message>
    <message>
        <source>100M</source>
        <translation>100M</translation>
    </message>
    <message>
        <source>播放终端设置</source>
        <translation>Playback terminal</translation>
    </message>
    <message>
        <source>高音：</source>
        <translation>Treble:</translation>
    </message>
    <message>
        <source>低音：</source>
        <translation>Bass:</translation>
    </message>
    <message>
        <source>分别设置服务器 IP 地址</source>
        <translation>Set the server addresses separately</translation>
    </message>
    <message>
        <source>广播服务器地址：</source>
        <translation>Broadcast server:</translation>
    </message>
    <message>
        <source>对讲服务器地址：</source>
        <translation>Talkback server:</translation>
    </message>
    <message>
        <source>主机配置</source>
        <translation>Host</translation>
    </message>
    <message>
        <source>设置主机名称：</source>
        <translation>Host name:</translation>
    </message>
    <message>
        <source>设置主机服务：</source>
        <translation>Host services:</translation>
    </message>
    <message>
        <source>启动广播服务</source>
        <translation>Broadcast service</translation>
    </message>
    <message>
        <source>启动对讲服务</source>
        <translation>Talkback service</translation>
    </message>
    <message>
        <source>启动录音服务</source>
        <translation>Recording service</translation>
    </message>
    <message>
        <source>启动对接主机服务</source>
        <translation>Linked-host service</translation>
    </message>
    <message>
        <source>启动工位服务</source>
        <translation>Workstation service</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
</TS>
