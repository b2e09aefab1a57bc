#ifndef NIMBAL_COMMANDS_H
#define NIMBAL_COMMANDS_H

class Console;
struct Invocation;

// The commands of nimbalctl, as the command table runs them. Each returns
// its exit status. Everything a command is given is checked before the port
// is opened, so bad input never puts a byte on the line.
class Commands
{
public:
    static int ports(const Invocation &invocation, Console &console);
    static int read(const Invocation &invocation, Console &console);
    static int write(const Invocation &invocation, Console &console);
    static int set(const Invocation &invocation, Console &console);
    static int diff(const Invocation &invocation, Console &console);
    static int batch(const Invocation &invocation, Console &console);
    static int doctor(const Invocation &invocation, Console &console);
    static int help(const Invocation &invocation, Console &console);
};

#endif
