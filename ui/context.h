#pragma once
// What every window receives: the injected services, the session (database
// connection and data module) and the application state.
#include "appstate.h"
#include "services.h"
#include "session.h"

namespace tolvaris {

struct Context {
    Services services;
    Session *session = nullptr;
    AppState *state = nullptr;

    TDataModule1 &dm() const { return session->dm(); }
    Connection &db() const { return session->connection(); }
    MessageService &messages() const { return *services.messages; }
    FileService &files() const { return *services.files; }
    ModalRunner &modal() const { return *services.modal; }
    Clock &clock() const { return *services.clock; }
};

} // namespace tolvaris
