<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>StationWindow</name>
    <message numerus="yes">
        <source>It has %n field(s), not %1.</source>
        <translation>
            <numerusform>It has %n field, not %1.</numerusform>
            <numerusform>It has %n fields, not %1.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>database: %n row(s) waiting: %1</source>
        <translation>
            <numerusform>database: %n row waiting: %1</numerusform>
            <numerusform>database: %n rows waiting: %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>database: %n row(s) waiting</source>
        <translation>
            <numerusform>database: %n row waiting</numerusform>
            <numerusform>database: %n rows waiting</numerusform>
        </translation>
    </message>
</context>
</TS>
