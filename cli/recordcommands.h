#ifndef NIMBAL_RECORDCOMMANDS_H
#define NIMBAL_RECORDCOMMANDS_H

#include <QString>

class Console;
struct Invocation;

// The line record from the command line: `db init` makes or updates its
// tables, `db send` sends a journal's waiting rows, `history` shows every
// row of one label and `report` what each station did each day, from the
// line's database or from audit logs given as files.
class RecordCommands
{
public:
    static int db(const Invocation &invocation, Console &console);
    static int history(const Invocation &invocation, Console &console);
    static int report(const Invocation &invocation, Console &console);

    // The database the command line names: --db, or the environment
    // variable NIMBAL_DB; empty: none.
    static QString databaseOf(const Invocation &invocation);
};

#endif
