<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
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
</TS>
