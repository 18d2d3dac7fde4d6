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
        <source>搜索范围…</source>
        <translation>Search ranges…</translation>
    </message>
    <message>
        <source>%1（路由器之后：按其地址 %2 设置）</source>
        <translation>%1 (behind a router: set at its address %2)</translation>
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
    <message>
        <source>批量配置…</source>
        <translation>Batch configuration…</translation>
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
<context>
    <name>SearchStatus</name>
    <message>
        <source>范围 %1：%2 个设备</source>
        <translation>range %1: %2 devices</translation>
    </message>
    <message>
        <source>范围扫描 %1/%2</source>
        <translation>range sweep %1/%2</translation>
    </message>
    <message>
        <source>未知网卡</source>
        <translation>unknown adapter</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>已向 %1 搜索：%2 个设备应答</source>
        <translation>Searched %1: %2 devices answered</translation>
    </message>
    <message>
        <source>没有设备应答（已向 %1 搜索）</source>
        <translation>No device answered (searched %1)</translation>
    </message>
    <message>
        <source>正在向 %1 搜索…</source>
        <translation>Searching %1…</translation>
    </message>
    <message>
        <source>没有可用的网卡：没有已启用、可广播的 IPv4 网卡，搜索未能发出</source>
        <translation>No network adapter available: no IPv4 adapter is up and can broadcast, so the search could not go out</translation>
    </message>
    <message>
        <source>%1：%2 个设备</source>
        <translation>%1: %2 devices</translation>
    </message>
    <message>
        <source>%1：未连接</source>
        <translation>%1: no link</translation>
    </message>
    <message>
        <source>列表可能不完整：最后一次搜索又找到 %1 个设备。</source>
        <translation>List may be incomplete: the last search found %1 more. </translation>
    </message>
    <message>
        <source>已搜索网卡 %1</source>
        <translation>Adapters searched: %1</translation>
    </message>
    <message>
        <source>；</source>
        <translation>; </translation>
    </message>
    <message>
        <source>搜索未能通过网卡 %1 发出</source>
        <translation>The search could not go out through %1</translation>
    </message>
    <message>
        <source>没有设备应答。已搜索的网卡：%1</source>
        <translation>No device answered. Adapters searched: %1</translation>
    </message>
    <message>
        <source>正在通过网卡 %1 搜索…</source>
        <translation>Searching through %1…</translation>
    </message>
    <message>
        <source>应答网卡：%1</source>
        <translation>Answered on %1</translation>
    </message>
    <message>
        <source>子网扫描 %1/%2</source>
        <translation>subnet sweep %1/%2</translation>
    </message>
</context>
<context>
    <name>BatchConfigDialog</name>
    <message>
        <source>批量配置</source>
        <translation>Batch configuration</translation>
    </message>
    <message>
        <source>表格：</source>
        <translation>Sheet:</translation>
    </message>
    <message>
        <source>选择表格…</source>
        <translation>Choose sheet…</translation>
    </message>
    <message>
        <source>请选择一个CSV表格：每行一个终端，以MAC列识别。</source>
        <translation>Choose a CSV sheet: one row per terminal, identified by its MAC column.</translation>
    </message>
    <message>
        <source>行</source>
        <translation>Line</translation>
    </message>
    <message>
        <source>MAC</source>
        <translation>MAC</translation>
    </message>
    <message>
        <source>当前 → 新值</source>
        <translation>Current → new</translation>
    </message>
    <message>
        <source>结果</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>应用</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>保存结果…</source>
        <translation>Save result…</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>选择表格</source>
        <translation>Choose sheet</translation>
    </message>
    <message>
        <source>CSV表格 (*.csv);;所有文件 (*)</source>
        <translation>CSV sheets (*.csv);;All files (*)</translation>
    </message>
    <message>
        <source>正在搜索终端…</source>
        <translation>Searching for terminals…</translation>
    </message>
    <message>
        <source>保存结果</source>
        <translation>Save result</translation>
    </message>
    <message>
        <source>CSV表格 (*.csv)</source>
        <translation>CSV sheets (*.csv)</translation>
    </message>
    <message>
        <source>表格有%1处问题，不会发送任何设置。</source>
        <translation>The sheet has %1 problems; nothing will be sent.</translation>
    </message>
    <message>
        <source>%1个终端，%2个需要设置。</source>
        <translation>%1 terminals, %2 to be set.</translation>
    </message>
    <message>
        <source>正在设置：已发送%1，已完成%2/%3</source>
        <translation>Setting: %1 sent, %2/%3 done</translation>
    </message>
    <message>
        <source>正在搜索以验证…</source>
        <translation>Searching to verify…</translation>
    </message>
    <message>
        <source>搜索终端，把它们现在的设置保存为配置表，编辑后即可应用</source>
        <translation>Searches for the terminals and saves their present settings as a sheet, to edit and apply</translation>
    </message>
    <message>
        <source>导出为配置表…</source>
        <translation>Export as sheet…</translation>
    </message>
    <message>
        <source>无法读取%1：%2</source>
        <translation>Cannot read %1: %2</translation>
    </message>
    <message>
        <source>找到%1个终端。</source>
        <translation>%1 terminals found.</translation>
    </message>
    <message>
        <source>导出为配置表</source>
        <translation>Export as sheet</translation>
    </message>
    <message>
        <source>无法写入%1：%2</source>
        <translation>Cannot write %1: %2</translation>
    </message>
    <message>
        <source>完成：%1</source>
        <translation>Done: %1</translation>
    </message>
    <message>
        <source>表格中有终端未应答时，仍设置找到的终端，其余报告为未找到</source>
        <translation>When some terminals of the sheet do not answer, set the ones found and report the others as not found</translation>
    </message>
    <message>
        <source>只设置找到的终端</source>
        <translation>Set only the terminals found</translation>
    </message>
    <message>
        <source>%1个终端未应答，再次搜索（第%2次，最多%3次）…</source>
        <translation>%1 terminals did not answer; searching again (%2 of at most %3)…</translation>
    </message>
    <message>
        <source>未找到</source>
        <translation>not found</translation>
    </message>
    <message>
        <source>%1个终端未找到，不会设置。</source>
        <translation>%1 terminals not found; they will not be set.</translation>
    </message>
    <message>
        <source>；%1个终端未找到</source>
        <translation>; %1 terminals not found</translation>
    </message>
    <message>
        <source>列</source>
        <translation>Column</translation>
    </message>
    <message>
        <source>问题</source>
        <translation>Problem</translation>
    </message>
    <message>
        <source>%1个终端只经搜索范围找到（在路由器之后），将按其自身地址设置。</source>
        <translation>%1 terminals were found only through a search range (behind a router) and will be set at their own address.</translation>
    </message>
    <message>
        <source>正在搜索终端…（范围扫描 %1/%2）</source>
        <translation>Searching for terminals… (range sweep %1/%2)</translation>
    </message>
</context>
<context>
    <name>CommissionTexts</name>
    <message>
        <source>表头缺少MAC列</source>
        <translation>The header has no MAC column</translation>
    </message>
    <message>
        <source>未知的列“%1”</source>
        <translation>Unknown column “%1”</translation>
    </message>
    <message>
        <source>列“%1”重复</source>
        <translation>Column “%1” appears twice</translation>
    </message>
    <message>
        <source>字段比表头多</source>
        <translation>More fields than the header</translation>
    </message>
    <message>
        <source>缺少MAC地址</source>
        <translation>No MAC address</translation>
    </message>
    <message>
        <source>“%1”不是IPv4地址</source>
        <translation>“%1” is not an IPv4 address</translation>
    </message>
    <message>
        <source>自动获取IP时不能指定IP、掩码或网关</source>
        <translation>With AutoIP 1 no IP, mask or gateway can be given</translation>
    </message>
    <message>
        <source>MAC地址%1已在第%2行出现</source>
        <translation>MAC address %1 already appears in line %2</translation>
    </message>
    <message>
        <source>ID %1与第%2行相同</source>
        <translation>ID %1 is the same as in line %2</translation>
    </message>
    <message>
        <source>IP地址%1与第%2行相同</source>
        <translation>IP address %1 is the same as in line %2</translation>
    </message>
    <message>
        <source>ID %1已被终端%2使用</source>
        <translation>ID %1 is already used by terminal %2</translation>
    </message>
    <message>
        <source>IP地址%1已被终端%2使用</source>
        <translation>IP address %1 is already used by terminal %2</translation>
    </message>
    <message>
        <source>搜索中没有MAC地址为%1的终端</source>
        <translation>No terminal with MAC address %1 answered the search</translation>
    </message>
    <message>
        <source>有%1个终端的MAC地址为%2</source>
        <translation>%1 terminals have the MAC address %2</translation>
    </message>
    <message>
        <source>第%1行：%2</source>
        <translation>Line %1: %2</translation>
    </message>
    <message>
        <source>第%1行，%2列：%3</source>
        <translation>Line %1, column %2: %3</translation>
    </message>
    <message>
        <source>等待中</source>
        <translation>Pending</translation>
    </message>
    <message>
        <source>已是表格中的设置</source>
        <translation>Already set</translation>
    </message>
    <message>
        <source>已设置并验证</source>
        <translation>Applied and verified</translation>
    </message>
    <message>
        <source>终端拒绝(400)</source>
        <translation>Refused (400)</translation>
    </message>
    <message>
        <source>无应答</source>
        <translation>No answer</translation>
    </message>
    <message>
        <source>已应答但未验证：%1</source>
        <translation>Answered, not verified: %1</translation>
    </message>
    <message>
        <source>未发送</source>
        <translation>Not sent</translation>
    </message>
    <message>
        <source>引号中的字段没有结束</source>
        <translation>A quoted field is not closed</translation>
    </message>
    <message>
        <source>右引号后还有文字</source>
        <translation>Text follows a closing quote</translation>
    </message>
    <message>
        <source>文件似乎是没有字节顺序标记的UTF-16，请另存为UTF-8</source>
        <translation>The file seems to be UTF-16 without byte-order mark; save it as UTF-8</translation>
    </message>
    <message>
        <source>文件不是UTF-8编码，请另存为UTF-8</source>
        <translation>The file is not UTF-8; save it as UTF-8</translation>
    </message>
    <message>
        <source>文件既不是UTF-8也不是%1编码，请另存为UTF-8</source>
        <translation>The file is neither UTF-8 nor %1; save it as UTF-8</translation>
    </message>
    <message>
        <source>“%1”不是MAC地址</source>
        <translation>“%1” is not a MAC address</translation>
    </message>
    <message>
        <source>“%1”不是允许的数值（允许：%2）</source>
        <translation>“%1” is not an allowed value (allowed: %2)</translation>
    </message>
    <message>
        <source>搜索中没有找到</source>
        <translation>not found by the search</translation>
    </message>
    <message>
        <source>%1为%2（表格为%3）</source>
        <translation>%1 is %2 (sheet: %3)</translation>
    </message>
    <message>
        <source>；</source>
        <translation>; </translation>
    </message>
    <message>
        <source>已忽略不能设置的列：%1</source>
        <translation>Columns that a sheet cannot set were ignored: %1</translation>
    </message>
    <message>
        <source>%1 %2</source>
        <translation>%1 %2</translation>
    </message>
    <message>
        <source>%1个终端：%2</source>
        <translation>%1 terminals: %2</translation>
    </message>
    <message>
        <source>，</source>
        <translation>, </translation>
    </message>
    <message>
        <source>被拒绝</source>
        <translation>Refused</translation>
    </message>
    <message>
        <source>未验证</source>
        <translation>Not verified</translation>
    </message>
</context>
<context>
    <name>CliCommands</name>
    <message>
        <source>搜索请求无法发送</source>
        <translation>The search could not be sent</translation>
    </message>
    <message>
        <source>IP地址冲突</source>
        <translation>IP conflict</translation>
    </message>
    <message>
        <source>MAC地址冲突</source>
        <translation>MAC conflict</translation>
    </message>
    <message>
        <source>无法向%1发送请求</source>
        <translation>Cannot send a request to %1</translation>
    </message>
    <message>
        <source>%1没有应答</source>
        <translation>%1 did not answer</translation>
    </message>
    <message>
        <source>%1拒绝了重启</source>
        <translation>%1 refused the reboot</translation>
    </message>
    <message>
        <source>第%1行 %2：%3</source>
        <translation>line %1 %2: %3</translation>
    </message>
    <message>
        <source>未知的格式：%1</source>
        <translation>Unknown format: %1</translation>
    </message>
    <message>
        <source>未知的选项：%1</source>
        <translation>Unknown option: %1</translation>
    </message>
    <message>
        <source>参数不正确</source>
        <translation>Wrong arguments</translation>
    </message>
    <message>
        <source>网络无法使用</source>
        <translation>The network cannot be used</translation>
    </message>
    <message>
        <source>无法打开UDP端口%1</source>
        <translation>Cannot open UDP port %1</translation>
    </message>
    <message>
        <source>用法：
  querytool-cli scan [--format table|csv|json] [--sort ip|id|mac] [--conflicts] [--range 范围]...
      搜索一次，列出每个终端的全部字段；--sort 按IP、ID或MAC排序；--conflicts 同时列出IP和MAC地址冲突
  querytool-cli apply 表格.csv [--dry-run] [--partial] [--result 结果.csv] [--format table|json] [--range 范围]...
      检查表格，设置并验证其中的终端；--dry-run 只显示计划，不发送设置（--result 写入计划）；
      未应答的终端最多再搜索3次；--partial 只设置找到的终端，其余报告为未找到（退出码1）；
      --format json 以JSON输出问题或结果
  querytool-cli reboot IP
      重启一个终端（不接受广播地址或网络地址），并显示重启的是哪个终端
--range 另搜索一个地址范围（如 10.2.0.0/16 或 10.3.1.10-10.3.1.200，最多65536个地址，可重复），
      用于路由器之后的终端；这些终端按其自身地址设置
选项也可写作 --format=json。
环境变量 DBP_BROADCAST_ADDR、DBP_TERMINAL_PORT、DBP_LOCAL_PORT、DBP_SEARCH_SENDS、DBP_SWEEP_RATE 与窗口相同；
值无效时不发送任何请求，退出码2。
退出码：
  0  全部成功
  1  已完成，但有终端未成功（或 --conflicts 发现冲突）
  2  参数不正确
  3  表格未通过检查，没有发送任何设置
  4  文件无法读取或写入
  5  端口无法打开或请求无法发送
</source>
        <translation>Usage:
  querytool-cli scan [--format table|csv|json] [--sort ip|id|mac] [--conflicts] [--range RANGE]...
      one search; every field of every terminal; --sort orders by IP, ID or MAC; --conflicts also lists IP and MAC conflicts
  querytool-cli apply SHEET.csv [--dry-run] [--partial] [--result RESULT.csv] [--format table|json] [--range RANGE]...
      checks the sheet, sets and verifies its terminals; --dry-run shows the plan and sends nothing (--result writes the plan);
      terminals that did not answer are searched for up to 3 more times; --partial sets the terminals found and reports the others as not found (exit code 1);
      --format json gives the problems or the outcomes as JSON
  querytool-cli reboot IP
      reboots one terminal (not a broadcast or network address) and names the terminal it rebooted
--range also searches an address range (such as 10.2.0.0/16 or 10.3.1.10-10.3.1.200, at most 65536 addresses; repeatable),
      for terminals behind routers; those are set at their own address
Options may also be written --format=json.
The variables DBP_BROADCAST_ADDR, DBP_TERMINAL_PORT, DBP_LOCAL_PORT, DBP_SEARCH_SENDS and DBP_SWEEP_RATE work as for the window;
with an invalid value nothing is sent and the exit code is 2.
Exit codes:
  0  everything succeeded
  1  done, but not for every terminal (or --conflicts found conflicts)
  2  wrong arguments
  3  the sheet failed its check; nothing was sent
  4  a file could not be read or written
  5  the port could not be opened or a request could not be sent
</translation>
    </message>
    <message>
        <source>范围 %1：%2 台</source>
        <translation>Range %1: %2 terminals</translation>
    </message>
    <message>
        <source>%1 台终端只经搜索范围找到（在路由器之后），按其自身地址设置</source>
        <translation>%1 terminals were found only through a search range (behind a router) and are set at their own address</translation>
    </message>
    <message>
        <source>……另有%1处问题未列出（共%2处）</source>
        <translation>… %1 more problems not listed (%2 in all)</translation>
    </message>
    <message>
        <source>无法写入%1：%2</source>
        <translation>Cannot write %1: %2</translation>
    </message>
    <message>
        <source>无法读取%1：%2</source>
        <translation>Cannot read %1: %2</translation>
    </message>
    <message>
        <source>ID %1，型号 %2，MAC %3，IP %4</source>
        <translation>ID %1, model %2, MAC %3, IP %4</translation>
    </message>
    <message>
        <source>%1是广播地址或网络地址，不能指定一个终端</source>
        <translation>%1 is a broadcast or network address, which names no single terminal</translation>
    </message>
    <message>
        <source>应答来自%1而不是%2，没有重启任何终端</source>
        <translation>The answer came from %1, not %2; no terminal was rebooted</translation>
    </message>
    <message>
        <source>已重启：%1</source>
        <translation>Rebooted: %1</translation>
    </message>
    <message>
        <source>未知的排序：%1</source>
        <translation>Unknown sort: %1</translation>
    </message>
    <message>
        <source>环境变量无效，不发送任何请求：%1</source>
        <translation>Invalid environment variable, nothing sent: %1</translation>
    </message>
    <message>
        <source>%1个终端未应答，再次搜索（第%2次，最多%3次）</source>
        <translation>%1 terminals did not answer; searching again (%2 of at most %3)</translation>
    </message>
    <message>
        <source>；%1个终端未找到</source>
        <translation>; %1 terminals not found</translation>
    </message>
    <message>
        <source>未找到</source>
        <translation>not found</translation>
    </message>
    <message>
        <source>列表可能不完整：最后一次搜索又找到 %1 个设备。</source>
        <translation>List may be incomplete: the last search found %1 more.</translation>
    </message>
</context>
<context>
    <name>SearchRangesDialog</name>
    <message>
        <source>搜索范围</source>
        <translation>Search ranges</translation>
    </message>
    <message>
        <source>除各网卡所在网段外，另搜索以下地址范围（路由器之后的终端）。每个范围最多65536个地址，如 10.2.0.0/16 或 10.3.1.10-10.3.1.200。只经范围找到的终端按其自身地址设置、重启和升级。</source>
        <translation>Besides the adapters' subnets, these address ranges are searched too (terminals behind routers). At most 65536 addresses each, such as 10.2.0.0/16 or 10.3.1.10-10.3.1.200. Terminals found only through a range are set, rebooted and upgraded at their own address.</translation>
    </message>
    <message>
        <source>添加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Remove</translation>
    </message>
</context>
<context>
    <name>EndpointOverrides</name>
    <message>
        <source>%1：“%2”%3</source>
        <translation>%1: "%2" %3</translation>
    </message>
    <message>
        <source>不是点分十进制的 IPv4 地址</source>
        <translation>is not a dotted IPv4 address</translation>
    </message>
    <message>
        <source>不是 1 到 65535 的端口</source>
        <translation>is not a port from 1 to 65535</translation>
    </message>
    <message>
        <source>不是 0 到 65535 的端口</source>
        <translation>is not a port from 0 to 65535</translation>
    </message>
    <message>
        <source>不是 0 到 10000 毫秒的升序列表（如 0,250,500,1000）</source>
        <translation>is not a list of ascending milliseconds from 0 to 10000 (such as 0,250,500,1000)</translation>
    </message>
    <message>
        <source>不是每秒 1 到 100000 个 GET</source>
        <translation>is not a number of GETs per second from 1 to 100000</translation>
    </message>
    <message>
        <source>%1；改用默认值</source>
        <translation>%1; using the default</translation>
    </message>
</context>
<context>
    <name>SearchRange</name>
    <message>
        <source>无法识别的搜索范围：%1（应为 10.2.0.0/16 或 10.3.1.10-10.3.1.200）</source>
        <translation>Not a search range: %1 (write 10.2.0.0/16 or 10.3.1.10-10.3.1.200)</translation>
    </message>
    <message>
        <source>范围的结束地址小于起始地址：%1</source>
        <translation>The range ends before it begins: %1</translation>
    </message>
    <message>
        <source>搜索范围过大：%1（最多 65536 个地址）</source>
        <translation>Search range too large: %1 (at most 65536 addresses)</translation>
    </message>
</context>
</TS>
