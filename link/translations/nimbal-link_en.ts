<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>LabelRegister</name>
    <message numerus="yes">
        <source>the label has %n character(s), more than the %1 a label may have</source>
        <translation>
            <numerusform>the label has %n character, more than the %1 a label may have</numerusform>
            <numerusform>the label has %n characters, more than the %1 a label may have</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>LinkText</name>
    <message numerus="yes">
        <source>no answer to the read request after %n attempt(s) of %1 ms: %2</source>
        <translation>
            <numerusform>no answer to the read request after %n attempt of %1 ms: %2</numerusform>
            <numerusform>no answer to the read request after %n attempts of %1 ms: %2</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>no answer to the write request after %n attempt(s) of %1 ms: %2</source>
        <translation>
            <numerusform>no answer to the write request after %n attempt of %1 ms: %2</numerusform>
            <numerusform>no answer to the write request after %n attempts of %1 ms: %2</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>no answer to the read-back request after %n attempt(s) of %1 ms: %2</source>
        <translation>
            <numerusform>no answer to the read-back request after %n attempt of %1 ms: %2</numerusform>
            <numerusform>no answer to the read-back request after %n attempts of %1 ms: %2</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n servo(s): %1 passed, %2 failed</source>
        <translation>
            <numerusform>%n servo: %1 passed, %2 failed</numerusform>
            <numerusform>%n servos: %1 passed, %2 failed</numerusform>
        </translation>
    </message>
</context>
</TS>
