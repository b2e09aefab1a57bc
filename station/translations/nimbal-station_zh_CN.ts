<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
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
        <source>Label of the servo on %1</source>
        <translation>%1 上舵机的标签</translation>
    </message>
    <message>
        <source>Scan or type the label, then Enter</source>
        <translation>扫描或输入标签，然后按回车</translation>
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
        <source>The last servo: %1</source>
        <translation>上一个舵机：%1</translation>
    </message>
    <message>
        <source>Label %1</source>
        <translation>标签 %1</translation>
    </message>
    <message>
        <source>Passed %1 · Failed %2</source>
        <translation>合格 %1 · 不合格 %2</translation>
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
        <source>on</source>
        <translation>开</translation>
    </message>
    <message>
        <source>off</source>
        <translation>关</translation>
    </message>
    <message>
        <source>nothing came back: no power, not plugged in, or TX and RX not crossed</source>
        <translation>没有任何回应：没有供电、没有插好，或 TX 与 RX 没有交叉</translation>
    </message>
    <message>
        <source>only the request&apos;s echo came back: no servo answered</source>
        <translation>只收到请求的回声：没有舵机应答</translation>
    </message>
    <message>
        <source>bytes came back, but never a frame: the wrong speed, or noise</source>
        <translation>收到了字节，但不成帧：波特率不对，或有干扰</translation>
    </message>
    <message>
        <source>frames came back that failed their checksum: a noisy line</source>
        <translation>收到的帧校验和错误：线路有干扰</translation>
    </message>
    <message>
        <source>only a frame of another kind came back</source>
        <translation>只收到另一种帧</translation>
    </message>
    <message>
        <source>&amp;Choose file…</source>
        <translation>选择文件(&amp;C)…</translation>
    </message>
    <message>
        <source>&amp;Add lane</source>
        <translation>添加通道(&amp;A)</translation>
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
        <source>%1 servos: %2 passed, %3 failed</source>
        <translation>%1 个舵机：%2 个合格，%3 个不合格</translation>
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
        <source>The label is empty: scan the servo&apos;s label.</source>
        <translation>标签是空的：请扫描舵机的标签。</translation>
    </message>
    <message>
        <source>Label %1 has passed already in this log.</source>
        <translation>标签 %1 在此日志中已经合格过。</translation>
    </message>
    <message>
        <source>%1: wanted %2, found %3</source>
        <translation>%1：应为 %2，实为 %3</translation>
    </message>
    <message>
        <source>No answer to the write request: %1</source>
        <translation>写入请求没有应答：%1</translation>
    </message>
    <message>
        <source>No answer to the read-back request: %1</source>
        <translation>回读请求没有应答：%1</translation>
    </message>
    <message>
        <source>The adapter went away during the write.</source>
        <translation>写入时适配器断开了。</translation>
    </message>
    <message>
        <source>The adapter went away during the read-back.</source>
        <translation>回读时适配器断开了。</translation>
    </message>
    <message>
        <source>Finishing the servos being set up…</source>
        <translation>正在完成正在设置的舵机…</translation>
    </message>
</context>
</TS>
