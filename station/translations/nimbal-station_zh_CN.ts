<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>LabelEntry</name>
    <message>
        <source>La&amp;bel:</source>
        <translation>标签(&amp;B)：</translation>
    </message>
    <message>
        <source>Label of the next servo</source>
        <translation>下一个舵机的标签</translation>
    </message>
    <message>
        <source>Scan or type the label, then Enter</source>
        <translation>扫描或输入标签，然后按回车</translation>
    </message>
    <message>
        <source>Where the next label goes</source>
        <translation>下一个标签的去向</translation>
    </message>
    <message>
        <source>Label refused</source>
        <translation>标签被拒绝</translation>
    </message>
    <message>
        <source>→ the servo on %1</source>
        <translation>→ %1 上的舵机</translation>
    </message>
    <message>
        <source>%1 is kept for the next servo</source>
        <translation>%1 已留给下一个舵机</translation>
    </message>
    <message>
        <source>No servo waits for a label</source>
        <translation>没有舵机在等待标签</translation>
    </message>
    <message>
        <source>Refused: %1</source>
        <translation>已拒绝：%1</translation>
    </message>
    <message>
        <source>%1 refused: %2</source>
        <translation>%1 被拒绝：%2</translation>
    </message>
</context>
<context>
    <name>LaneTile</name>
    <message>
        <source>Remove</source>
        <translation>移除</translation>
    </message>
    <message>
        <source>Lane %1</source>
        <translation>通道 %1</translation>
    </message>
    <message>
        <source>Remove the lane of %1</source>
        <translation>移除 %1 的通道</translation>
    </message>
    <message>
        <source>Stopped</source>
        <translation>已停止</translation>
    </message>
    <message>
        <source>Adapter gone — plug it back in</source>
        <translation>适配器已断开——请重新插上</translation>
    </message>
    <message>
        <source>Plug in a servo</source>
        <translation>请插入舵机</translation>
    </message>
    <message>
        <source>Scan its label</source>
        <translation>请扫描它的标签</translation>
    </message>
    <message>
        <source>Setting up…</source>
        <translation>正在设置…</translation>
    </message>
    <message>
        <source>Unplug the servo</source>
        <translation>请拔下舵机</translation>
    </message>
    <message>
        <source>✔ PASS</source>
        <translation>✔ 合格</translation>
    </message>
    <message>
        <source>✘ FAIL</source>
        <translation>✘ 不合格</translation>
    </message>
    <message>
        <source>Label %1</source>
        <translation>标签 %1</translation>
    </message>
    <message>
        <source>Passed %1 · Failed %2</source>
        <translation>合格 %1 · 不合格 %2</translation>
    </message>
    <message>
        <source>Plug in the next servo</source>
        <translation>请插入下一个舵机</translation>
    </message>
    <message>
        <source>The next label goes to this servo</source>
        <translation>下一个标签属于这个舵机</translation>
    </message>
    <message>
        <source>Its label comes after another lane&apos;s</source>
        <translation>它的标签排在另一个通道之后</translation>
    </message>
</context>
<context>
    <name>PortChooser</name>
    <message>
        <source>&amp;Add lane</source>
        <translation>添加通道(&amp;A)</translation>
    </message>
    <message>
        <source>&amp;Port of a new lane:</source>
        <translation>新通道的端口(&amp;P)：</translation>
    </message>
    <message>
        <source>Port of a new lane</source>
        <translation>新通道的端口</translation>
    </message>
    <message>
        <source>Add a lane on this port</source>
        <translation>在此端口上添加通道</translation>
    </message>
</context>
<context>
    <name>StationOptions</name>
    <message>
        <source>Sets up servo after servo on up to eight adapters at once.</source>
        <translation>在最多八个适配器上同时逐个设置舵机。</translation>
    </message>
    <message>
        <source>The parameter file to set servos up from.</source>
        <translation>用来设置舵机的参数文件。</translation>
    </message>
    <message>
        <source>A lane on PORT; up to eight times, one lane each.</source>
        <translation>在 PORT 上建一个通道；最多八次，每次一个通道。</translation>
    </message>
    <message>
        <source>The audit log, a CSV file.</source>
        <translation>审计日志，一个 CSV 文件。</translation>
    </message>
    <message>
        <source>Start at once, without a click.</source>
        <translation>立即开始，无需点击。</translation>
    </message>
    <message>
        <source>--port may be given %1 times at most</source>
        <translation>--port 最多只能给出 %1 次</translation>
    </message>
    <message>
        <source>unexpected argument: %1</source>
        <translation>多余的参数：%1</translation>
    </message>
    <message>
        <source>Ask for each servo&apos;s label.</source>
        <translation>为每个舵机询问标签。</translation>
    </message>
    <message>
        <source>Do not ask for labels.</source>
        <translation>不询问标签。</translation>
    </message>
    <message>
        <source>--labels and --no-labels exclude each other</source>
        <translation>--labels 与 --no-labels 不能同时使用</translation>
    </message>
    <message>
        <source>The line&apos;s database, a libpq connection string or service name (&quot;service=line1&quot;).</source>
        <translation>产线数据库，一个 libpq 连接字符串或服务名（“service=line1”）。</translation>
    </message>
    <message>
        <source>The station&apos;s name in the record (default: the host name).</source>
        <translation>记录中工作站的名称（默认：主机名）。</translation>
    </message>
    <message>
        <source>Who sets the servos up, for the record.</source>
        <translation>设置舵机的人，记入记录。</translation>
    </message>
</context>
<context>
    <name>StationWindow</name>
    <message>
        <source>The file is empty.</source>
        <translation>文件是空的。</translation>
    </message>
    <message numerus="yes">
        <source>It has %n field(s), not %1.</source>
        <translation>
            <numerusform>它有 %n 个字段，而不是 %1 个。</numerusform>
        </translation>
    </message>
    <message>
        <source>Field %1 (%2) is &quot;%3&quot;, not a whole number.</source>
        <translation>第 %1 个字段（%2）是“%3”，不是整数。</translation>
    </message>
    <message>
        <source>Field %1 (%2) is %3, outside %4 to %5.</source>
        <translation>第 %1 个字段（%2）是 %3，超出 %4 到 %5 的范围。</translation>
    </message>
    <message>
        <source>&amp;Choose file…</source>
        <translation>选择文件(&amp;C)…</translation>
    </message>
    <message>
        <source>Ask for each servo&apos;s &amp;label</source>
        <translation>为每个舵机询问标签(&amp;L)</translation>
    </message>
    <message>
        <source>Choose l&amp;og…</source>
        <translation>选择日志(&amp;O)…</translation>
    </message>
    <message>
        <source>&amp;Start</source>
        <translation>开始(&amp;S)</translation>
    </message>
    <message>
        <source>S&amp;top</source>
        <translation>停止(&amp;T)</translation>
    </message>
    <message>
        <source>Nimbal Station</source>
        <translation>Nimbal 工作站</translation>
    </message>
    <message>
        <source>Parameter file</source>
        <translation>参数文件</translation>
    </message>
    <message>
        <source>Choose the parameter file</source>
        <translation>选择参数文件</translation>
    </message>
    <message>
        <source>Parameter file check</source>
        <translation>参数文件检查</translation>
    </message>
    <message>
        <source>Ask for each servo&apos;s label</source>
        <translation>为每个舵机询问标签</translation>
    </message>
    <message>
        <source>Audit log</source>
        <translation>审计日志</translation>
    </message>
    <message>
        <source>Choose the audit log</source>
        <translation>选择审计日志</translation>
    </message>
    <message>
        <source>Start every lane</source>
        <translation>启动所有通道</translation>
    </message>
    <message>
        <source>Stop every lane</source>
        <translation>停止所有通道</translation>
    </message>
    <message>
        <source>Totals</source>
        <translation>总计</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>消息</translation>
    </message>
    <message>
        <source>Audit log:</source>
        <translation>审计日志：</translation>
    </message>
    <message>
        <source>No file chosen</source>
        <translation>尚未选择文件</translation>
    </message>
    <message>
        <source>Choose the file servos are set up from.</source>
        <translation>请选择用来设置舵机的文件。</translation>
    </message>
    <message>
        <source>Refused: it cannot be read: %1</source>
        <translation>已拒绝：无法读取：%1</translation>
    </message>
    <message>
        <source>Refused: %1</source>
        <translation>已拒绝：%1</translation>
    </message>
    <message>
        <source>Fourteen parameters, each within its range.</source>
        <translation>十四个参数，都在各自的范围内。</translation>
    </message>
    <message>
        <source>Parameter files (*.txt)</source>
        <translation>参数文件 (*.txt)</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>CSV 文件 (*.csv)</translation>
    </message>
    <message>
        <source>Choose or type a port first.</source>
        <translation>请先选择或输入一个端口。</translation>
    </message>
    <message>
        <source>%1 has a lane already.</source>
        <translation>%1 已经有一个通道。</translation>
    </message>
    <message>
        <source>A station has %1 lanes at most.</source>
        <translation>一个工作站最多有 %1 个通道。</translation>
    </message>
    <message>
        <source>Choose a valid parameter file first.</source>
        <translation>请先选择一个有效的参数文件。</translation>
    </message>
    <message>
        <source>Add a lane first.</source>
        <translation>请先添加一个通道。</translation>
    </message>
    <message>
        <source>The audit log is the parameter file itself: choose another log.</source>
        <translation>审计日志就是参数文件本身：请选择另一个日志。</translation>
    </message>
    <message>
        <source>The audit log %1 cannot be written: %2</source>
        <translation>无法写入审计日志 %1：%2</translation>
    </message>
    <message>
        <source>The audit log %1 cannot be written: %2; every lane stops.</source>
        <translation>无法写入审计日志 %1：%2；所有通道停止。</translation>
    </message>
    <message>
        <source>Finishing the servos being set up…</source>
        <translation>正在完成正在设置的舵机…</translation>
    </message>
    <message>
        <source>St&amp;ation:</source>
        <translation>工作站(&amp;A)：</translation>
    </message>
    <message>
        <source>Station name</source>
        <translation>工作站名称</translation>
    </message>
    <message>
        <source>O&amp;perator:</source>
        <translation>操作员(&amp;P)：</translation>
    </message>
    <message>
        <source>Operator</source>
        <translation>操作员</translation>
    </message>
    <message>
        <source>Typed or scanned at Start</source>
        <translation>开始时输入或扫描</translation>
    </message>
    <message>
        <source>Database status</source>
        <translation>数据库状态</translation>
    </message>
    <message>
        <source>&amp;Database:</source>
        <translation>数据库(&amp;D)：</translation>
    </message>
    <message>
        <source>The line&apos;s database</source>
        <translation>产线数据库</translation>
    </message>
    <message>
        <source>None: the audit log only (service=line1, host=... dbname=...)</source>
        <translation>无：只用审计日志（service=line1, host=... dbname=...）</translation>
    </message>
    <message>
        <source>The label was checked against this log only: %1</source>
        <translation>该标签只与本日志核对过：%1</translation>
    </message>
    <message numerus="yes">
        <source>database: %n row(s) waiting: %1</source>
        <translation>
            <numerusform>数据库：%n 条记录等待发送：%1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>database: %n row(s) waiting</source>
        <translation>
            <numerusform>数据库：%n 条记录等待发送</numerusform>
        </translation>
    </message>
    <message>
        <source>database: every row sent</source>
        <translation>数据库：所有记录已发送</translation>
    </message>
</context>
</TS>
