#include "platform/ado/Command.h"

#include "platform/ado/Session.h"

namespace ado {

struct Command::State
{
    std::optional<Connection> connection;
    std::string text;
    std::vector<QueryParameter> parameters;
};

Command::Command() : state_(std::make_shared<State>()) {}

void Command::SetActiveConnection(const Connection& connection)
{
    state_->connection = connection;
}

void Command::ReleaseConnection()
{
    state_->connection.reset();
}

std::optional<Connection> Command::ActiveConnection() const
{
    return state_->connection;
}

void Command::SetCommandText(std::string_view text)
{
    state_->text = std::string(text);
}

std::string Command::CommandText() const
{
    return state_->text;
}

long Command::Execute()
{
    if (!state_->connection) {
        detail::Raise(detail::ErrNotAllowed,
                      "The connection cannot be used to perform this operation.");
    }
    detail::Session& session = *state_->connection->Session();
    const detail::Source source = detail::Resolve(session, state_->text, state_->parameters);
    return session.Run(source.sql, source.bindings);
}

std::vector<QueryParameter>& Command::Parameters()
{
    return state_->parameters;
}

const std::vector<QueryParameter>& Command::Parameters() const
{
    return state_->parameters;
}

} // namespace ado
