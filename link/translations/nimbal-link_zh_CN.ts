<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>LabelRegister</name>
    <message>
        <source>the label is empty: scan the servo&apos;s label</source>
        <translation>标签是空的：请扫描舵机的标签</translation>
    </message>
    <message>
        <source>the label holds a control character (%1): scan it again</source>
        <translation>标签含有控制字符（%1）：请重新扫描</translation>
    </message>
    <message numerus="yes">
        <source>the label has %n character(s), more than the %1 a label may have</source>
        <translation>
            <numerusform>标签有 %n 个字符，超过了标签最多允许的 %1 个</numerusform>
        </translation>
    </message>
    <message>
        <source>the label begins with &apos;%1&apos;: a spreadsheet would take it for a formula</source>
        <translation>标签以“%1”开头：电子表格会把它当作公式</translation>
    </message>
    <message>
        <source>label %1 is on the servo of %2 already</source>
        <translation>标签 %1 已经用在 %2 的舵机上</translation>
    </message>
    <message>
        <source>label %1 has passed already in this log</source>
        <translation>标签 %1 在此日志中已经合格过</translation>
    </message>
</context>
<context>
    <name>LaneGroup</name>
    <message>
        <source>label %1 is kept for the next servo already: plug a servo in before the next label</source>
        <translation>标签 %1 已留给下一个舵机：请先插入舵机，再扫描下一个标签</translation>
    </message>
    <message>
        <source>label %1 has passed already on %2</source>
        <translation>标签 %1 已经在 %2 上合格过</translation>
    </message>
</context>
<context>
    <name>LinkText</name>
    <message>
        <source>cannot open</source>
        <translation>无法打开</translation>
    </message>
    <message>
        <source>%1; the device belongs to group %2, which you joined after this login began: log out and in again</source>
        <translation>%1；该设备属于组 %2，你是在本次登录之后才加入的：请注销后重新登录</translation>
    </message>
    <message>
        <source>%1; the device belongs to group %2: add yourself with &apos;sudo usermod -aG %2 &quot;$USER&quot;&apos;, then log out and in again</source>
        <translation>%1；该设备属于组 %2：请用“sudo usermod -aG %2 &quot;$USER&quot;”把自己加入该组，然后注销并重新登录</translation>
    </message>
    <message>
        <source>%1; another program has it open</source>
        <translation>%1；另一个程序正占用它</translation>
    </message>
    <message>
        <source>%1; another program has it open: %2</source>
        <translation>%1；另一个程序正占用它：%2</translation>
    </message>
    <message>
        <source>%1; the port is not there: is the adapter plugged in?</source>
        <translation>%1；端口不存在：适配器插好了吗？</translation>
    </message>
    <message>
        <source>cannot open: %1</source>
        <translation>无法打开：%1</translation>
    </message>
    <message>
        <source>port lost: %1</source>
        <translation>端口已断开：%1</translation>
    </message>
    <message>
        <source>nothing came back</source>
        <translation>没有任何回应</translation>
    </message>
    <message>
        <source>only the request&apos;s echo came back</source>
        <translation>只收到请求的回声</translation>
    </message>
    <message>
        <source>bytes came back (%1), but never a frame</source>
        <translation>收到了字节（%1），但不成帧</translation>
    </message>
    <message>
        <source>frames came back that failed their checksum</source>
        <translation>收到的帧校验和错误</translation>
    </message>
    <message>
        <source>only a frame of another kind came back</source>
        <translation>只收到另一种帧</translation>
    </message>
    <message>
        <source>an answer came back</source>
        <translation>收到了应答</translation>
    </message>
    <message>
        <source>the servo has no power, is not plugged in, or TX and RX are not crossed</source>
        <translation>舵机没有供电、没有插好，或 TX 与 RX 没有交叉</translation>
    </message>
    <message>
        <source>a one-wire (half-duplex) adapter echoes what it sends, and no servo answered: is one powered and plugged in?</source>
        <translation>单线（半双工）适配器会回送它发出的数据，而没有舵机应答：舵机通电并插好了吗？</translation>
    </message>
    <message>
        <source>the wrong speed, or noise on the line</source>
        <translation>波特率不对，或线路上有干扰</translation>
    </message>
    <message>
        <source>a noisy line: a long or unshielded cable, or a poor ground</source>
        <translation>线路有干扰：电缆过长或没有屏蔽，或接地不良</translation>
    </message>
    <message>
        <source>the device on the line does not answer a read request as the servo does</source>
        <translation>线路上的设备不像舵机那样应答读取请求</translation>
    </message>
    <message numerus="yes">
        <source>no answer to the read request after %n attempt(s) of %1 ms: %2</source>
        <translation>
            <numerusform>读取请求在 %n 次、每次 %1 毫秒的尝试后没有应答：%2</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>no answer to the write request after %n attempt(s) of %1 ms: %2</source>
        <translation>
            <numerusform>写入请求在 %n 次、每次 %1 毫秒的尝试后没有应答：%2</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>no answer to the read-back request after %n attempt(s) of %1 ms: %2</source>
        <translation>
            <numerusform>回读请求在 %n 次、每次 %1 毫秒的尝试后没有应答：%2</numerusform>
        </translation>
    </message>
    <message>
        <source>%1: wanted %2, servo %3</source>
        <translation>%1：应为 %2，舵机为 %3</translation>
    </message>
    <message>
        <source>port lost during the read</source>
        <translation>读取时端口断开了</translation>
    </message>
    <message>
        <source>port lost during the write</source>
        <translation>写入时端口断开了</translation>
    </message>
    <message>
        <source>port lost during the read-back</source>
        <translation>回读时端口断开了</translation>
    </message>
    <message numerus="yes">
        <source>%n servo(s): %1 passed, %2 failed</source>
        <translation>
            <numerusform>%n 个舵机：%1 个合格，%2 个不合格</numerusform>
        </translation>
    </message>
    <message>
        <source>on</source>
        <translation>开</translation>
    </message>
    <message>
        <source>off</source>
        <translation>关</translation>
    </message>
</context>
</TS>
