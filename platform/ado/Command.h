#pragma once
// Command: a command text bound to a connection. A recordset opened from a
// command keeps it, so that changing CommandText and calling Requery runs the
// new text.
//
// The text is one of: a table or stored-query name; such a name followed by a
// where or order-by clause ("Tailles where NoFamille=3 order by Ordre"); a full
// statement; "EXEC name a, b" for a parameterised stored query.

#include "platform/ado/Connection.h"
#include "platform/vb/Variant.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ado {

// A parameter of a stored query: its name as declared ("[DateDébut]"), its declared type
// ("DateTime", "Long", "Text" ...; empty for none) and the value to bind (Empty: not set).
struct QueryParameter
{
    std::string name;
    std::string type;
    vb::Variant value;
};

class Command
{
public:
    Command();

    // Set cmd.ActiveConnection = cn
    void SetActiveConnection(const Connection& connection);
    // Set cmd.ActiveConnection = Nothing
    void ReleaseConnection();
    std::optional<Connection> ActiveConnection() const;

    void SetCommandText(std::string_view text);
    std::string CommandText() const;

    // Runs the text as a statement; returns the number of rows changed.
    long Execute();

    // The parameters of the stored query the command runs (filled by ProcedureCommand).
    std::vector<QueryParameter>& Parameters();
    const std::vector<QueryParameter>& Parameters() const;

    bool operator==(const Command& other) const { return state_ == other.state_; }

private:
    struct State;
    std::shared_ptr<State> state_;
    friend class Recordset;
};

} // namespace ado
