<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>AboutDlg</name>
    <message>
        <source>Form</source>
        <translation>窗体</translation>
    </message>
    <message>
        <source>ZelvoOPC</source>
        <translation>ZelvoOPC</translation>
    </message>
    <message>
        <source>&lt;h3&gt;Zelvo OPC Server&lt;/h3&gt;&lt;p&gt;Zelvo OPC Server signs in to the Zelvo cloud platform and publishes every variable of your Zelvo data boxes as an OPC item. OPC Data Access 1.0 and 2.0 clients read the values the boxes report and write values back to the boxes; OPC Alarms and Events 1.0 clients receive the level alarms of the items.&lt;/p&gt;&lt;p&gt;Open the window from the tray icon to see the state of each box, to change the server address and the data update interval, and to start the program with the system.&lt;/p&gt;&lt;h4&gt;Licence&lt;/h4&gt;&lt;p&gt;You may install and use this program to connect OPC clients to your own Zelvo data boxes. You may not sell it, rent it out or pass it on separately from the boxes.&lt;/p&gt;&lt;p&gt;The program is provided as it is, without warranty of any kind, express or implied, including fitness for a particular purpose. In no event shall its authors be liable for any damage that arises from its use, including lost data, lost production or interrupted operation.&lt;/p&gt;</source>
        <translation>&lt;h3&gt;Zelvo OPC 服务器&lt;/h3&gt;&lt;p&gt;Zelvo OPC 服务器登录 Zelvo 云平台，把您的 Zelvo 数据盒的每个变量发布为一个 OPC 项。OPC 数据访问 1.0 和 2.0 客户端读取数据盒上报的值，并把值写回数据盒；OPC 报警与事件 1.0 客户端接收这些项的限值报警。&lt;/p&gt;&lt;p&gt;从托盘图标打开窗口，可以查看每个数据盒的状态，修改服务器地址和数据更新间隔，并设置程序随系统启动。&lt;/p&gt;&lt;h4&gt;许可&lt;/h4&gt;&lt;p&gt;您可以安装并使用本程序，把 OPC 客户端连接到您自己的 Zelvo 数据盒。您不得出售、出租本程序，也不得脱离数据盒单独转让本程序。&lt;/p&gt;&lt;p&gt;本程序按现状提供，不附带任何明示或暗示的保证，包括对特定用途适用性的保证。对于因使用本程序而产生的任何损害，包括数据丢失、生产损失或运行中断，作者概不负责。&lt;/p&gt;</translation>
    </message>
    <message>
        <source>About</source>
        <translation>关于</translation>
    </message>
</context>
<context>
    <name>DevStateDlg</name>
    <message>
        <source>Dialog</source>
        <translation>对话框</translation>
    </message>
    <message>
        <source>Zelvo SnCode</source>
        <translation>Zelvo 序列号</translation>
    </message>
    <message>
        <source>Device Name</source>
        <translation>设备名称</translation>
    </message>
    <message>
        <source>Device State</source>
        <translation>设备状态</translation>
    </message>
    <message>
        <source>Device states</source>
        <translation>设备状态</translation>
    </message>
    <message>
        <source>onLine</source>
        <translation>在线</translation>
    </message>
    <message>
        <source>offLine</source>
        <translation>离线</translation>
    </message>
</context>
<context>
    <name>ULogin</name>
    <message>
        <source>Zelvo OPC</source>
        <translation>Zelvo OPC</translation>
    </message>
    <message>
        <source>Login</source>
        <translation>登录</translation>
    </message>
    <message>
        <source>Register</source>
        <translation>注册</translation>
    </message>
    <message>
        <source>rember UserName</source>
        <translation>记住用户名</translation>
    </message>
    <message>
        <source>Main Server</source>
        <translation>主服务器</translation>
    </message>
    <message>
        <source>Standby Server</source>
        <translation>备用服务器</translation>
    </message>
    <message>
        <source>rember Password</source>
        <translation>记住密码</translation>
    </message>
    <message>
        <source>Forget Password?</source>
        <translation>忘记密码？</translation>
    </message>
    <message>
        <source>self-Login</source>
        <translation>自动登录</translation>
    </message>
    <message>
        <source>user name</source>
        <translation>用户名</translation>
    </message>
    <message>
        <source>password</source>
        <translation>密码</translation>
    </message>
    <message>
        <source>verification code</source>
        <translation>验证码</translation>
    </message>
    <message>
        <source>network error</source>
        <translation>网络错误</translation>
    </message>
    <message>
        <source>Tips</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>确定</translation>
    </message>
</context>
<context>
    <name>ZelvoOpcSrv</name>
    <message>
        <source>Open Window</source>
        <translation>打开窗口</translation>
    </message>
    <message>
        <source>Quit Application</source>
        <translation>退出程序</translation>
    </message>
    <message>
        <source>connected clients:</source>
        <translation>已连接客户端：</translation>
    </message>
    <message>
        <source>Zelvo OPC Server</source>
        <translation>Zelvo OPC 服务器</translation>
    </message>
</context>
<context>
    <name>korvane</name>
    <message>
        <source>The OPC server could not be registered: %1</source>
        <translation>无法注册 OPC 服务器：%1</translation>
    </message>
    <message>
        <source>The OPC server could not be started.</source>
        <translation>无法启动 OPC 服务器。</translation>
    </message>
    <message>
        <source>The OPC server refused the program&apos;s callbacks.</source>
        <translation>OPC 服务器拒绝了程序的回调。</translation>
    </message>
    <message>
        <source>No OPC items are published.</source>
        <translation>没有发布任何 OPC 数据项。</translation>
    </message>
</context>
<context>
    <name>g_debug</name>
    <message>
        <source>Clear All</source>
        <translation>全部清除</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>search</source>
        <translation>搜索</translation>
    </message>
    <message>
        <source>Empty Search Field</source>
        <translation>搜索框为空</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Zelvo OPC Server is already running.</source>
        <translation>Zelvo OPC 服务器已在运行。</translation>
    </message>
</context>
<context>
    <name>propertyConfigWidget</name>
    <message>
        <source>Form</source>
        <translation>窗体</translation>
    </message>
    <message>
        <source>    Zelvo OPC</source>
        <translation>    Zelvo OPC</translation>
    </message>
    <message>
        <source>ZelvoOPC Information</source>
        <translation>ZelvoOPC 信息</translation>
    </message>
    <message>
        <source>SoftWare Settings</source>
        <translation>软件设置</translation>
    </message>
    <message>
        <source>ZelvoOPC About</source>
        <translation>关于 ZelvoOPC</translation>
    </message>
    <message>
        <source>Zelvo OPC Server</source>
        <translation>Zelvo OPC 服务器</translation>
    </message>
</context>
<context>
    <name>softwareSettingDlg</name>
    <message>
        <source>Form</source>
        <translation>窗体</translation>
    </message>
    <message>
        <source>Server Address</source>
        <translation>服务器地址</translation>
    </message>
    <message>
        <source>Server Address:</source>
        <translation>服务器地址：</translation>
    </message>
    <message>
        <source>Server Data Update</source>
        <translation>服务器数据更新</translation>
    </message>
    <message>
        <source>Data update interval：</source>
        <translation>数据更新间隔：</translation>
    </message>
    <message>
        <source>ms</source>
        <translation>毫秒</translation>
    </message>
    <message>
        <source>self-Login</source>
        <translation>自动登录</translation>
    </message>
    <message>
        <source>selfstart</source>
        <translation>开机自启动</translation>
    </message>
    <message>
        <source>All configurations take effect after software restart</source>
        <translation>所有配置在软件重启后生效</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>确认</translation>
    </message>
    <message>
        <source>save configuration</source>
        <translation>保存配置</translation>
    </message>
    <message>
        <source>Configuration File saved successfully</source>
        <translation>配置文件保存成功</translation>
    </message>
    <message>
        <source>Configuration File could not be saved</source>
        <translation>配置文件保存失败</translation>
    </message>
</context>
</TS>
