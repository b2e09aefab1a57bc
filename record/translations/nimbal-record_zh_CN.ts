<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>LineLabels</name>
    <message>
        <source>database %1: labels not checked</source>
        <translation>数据库 %1：标签未能核对</translation>
    </message>
    <message>
        <source>the line&apos;s database is not asked</source>
        <translation>未询问产线数据库</translation>
    </message>
    <message>
        <source>the line&apos;s database did not answer within %1 ms</source>
        <translation>产线数据库在 %1 毫秒内没有应答</translation>
    </message>
</context>
<context>
    <name>RecordDatabase</name>
    <message>
        <source>database %1: cannot connect: Qt&apos;s SQL driver %2 is not installed</source>
        <translation>数据库 %1：无法连接：未安装 Qt 的 SQL 驱动 %2</translation>
    </message>
    <message>
        <source>database %1: cannot connect</source>
        <translation>数据库 %1：无法连接</translation>
    </message>
</context>
<context>
    <name>RecordRows</name>
    <message>
        <source>database %1: rows not read</source>
        <translation>数据库 %1：记录未能读取</translation>
    </message>
    <message>
        <source>%1: not a log that can be read</source>
        <translation>%1：不是可读取的日志</translation>
    </message>
</context>
<context>
    <name>RecordSchema</name>
    <message>
        <source>cannot read the schema&apos;s version</source>
        <translation>无法读取数据库结构的版本</translation>
    </message>
    <message>
        <source>the database&apos;s schema is version %1, newer than the %2 this program knows: use a newer program</source>
        <translation>数据库结构是第 %1 版，比本程序所知的第 %2 版更新：请使用更新的程序</translation>
    </message>
    <message>
        <source>cannot begin a transaction</source>
        <translation>无法开始事务</translation>
    </message>
    <message>
        <source>version %1 of the schema failed: %2</source>
        <translation>数据库结构第 %1 版失败：%2</translation>
    </message>
    <message>
        <source>cannot commit the schema</source>
        <translation>无法提交数据库结构</translation>
    </message>
</context>
<context>
    <name>RecordSender</name>
    <message>
        <source>database %1: rows not sent</source>
        <translation>数据库 %1：记录未能发送</translation>
    </message>
</context>
</TS>
