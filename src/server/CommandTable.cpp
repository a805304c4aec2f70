#include "server/CommandTable.h"

#include <array>

#include "server/Commands.h"

namespace {

// In matching order.
constexpr std::array kCommands{
    Command{"/list", commandList},
    Command{"/listqueue", commandListQueue},
    Command{"/listradio", commandListRadio},
    Command{"/listcovers", commandListCovers},
    Command{"/blank", commandBlank},
    Command{"/listfilter", commandListFilter},
    Command{"/listfilterselect", commandListFilterSelect},
    Command{"/move_dir", commandMoveDir},
    Command{"/getinfo_fs", commandGetInfoFs},
    Command{"/getinfo_db", commandGetInfoDb},
    Command{"/test", commandTest},
    Command{"/flush", commandFlush},
    Command{"/scan", commandScan},
    Command{"/syncradio", commandSyncRadio},
    Command{"/findimg", commandFindImg},
    Command{"/quit", commandQuit},
    Command{"/getuserpref", commandGetUserPref},
    Command{"/setuserpref", commandSetUserPref},
};

}  // namespace

const Command* findCommand(std::string_view path) {
    for (const Command& command : kCommands) {
        if (command.path == path) return &command;
    }
    return nullptr;
}
