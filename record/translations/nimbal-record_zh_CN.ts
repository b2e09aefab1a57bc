<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>LineLabels</name>
    <message>
        <source>database %1: labels not checked</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the line&apos;s database is not asked</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the line&apos;s database did not answer within %1 ms</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RecordDatabase</name>
    <message>
        <source>database %1: cannot connect: Qt&apos;s SQL driver %2 is not installed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>database %1: cannot connect</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RecordRows</name>
    <message>
        <source>database %1: rows not read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: not a log that can be read</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RecordSchema</name>
    <message>
        <source>cannot read the schema&apos;s version</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the database&apos;s schema is version %1, newer than the %2 this program knows: use a newer program</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot begin a transaction</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>version %1 of the schema failed: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot commit the schema</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RecordSender</name>
    <message>
        <source>database %1: rows not sent</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
