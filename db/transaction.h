// One transaction around a run of statements on the connection: the
// connection leaves auto-commit for its life, and what was not committed is
// rolled back when it ends. On a connection already out of auto-commit it
// does nothing: the caller's transaction holds the statements.
//
// Where the engine's DDL is transactional (PostgreSQL, SQLite) a DROP and
// CREATE inside are undone with the rows; MySQL and MariaDB commit at every
// DROP or CREATE, so only the rows written after the last one are undone.
#ifndef PELUND_DB_TRANSACTION_H
#define PELUND_DB_TRANSACTION_H

namespace pelund {

class Transaction {
public:
    Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    ~Transaction();
    // Commits; 0, or the failure's code (recorded).
    int commit();

private:
    bool mine_ = false;
    bool done_ = false;
};

}  // namespace pelund

#endif
