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
    Command{"/songaction", commandSongAction},
    Command{"/print_title", commandPrintTitle},
    Command{"/getsonginfo", commandGetSongInfo},
    Command{"/getdata", commandGetData},
    Command{"/newfilter", commandNewFilter},
    Command{"/setfilterdata", commandSetFilterData},
    Command{"/removefilter", commandRemoveFilter},
    Command{"/listfilter", commandListFilter},
    Command{"/rebuildlist", commandRebuildList},
    Command{"/listfilterselect", commandListFilterSelect},
    Command{"/move_dir", commandMoveDir},
    Command{"/getinfo", commandGetInfo},
    Command{"/getinfo_fs", commandGetInfoFs},
    Command{"/getinfo_db", commandGetInfoDb},
    Command{"/play", commandPlay},
    Command{"/pause", commandPause},
    Command{"/stop", commandStop},
    Command{"/set", commandSet},
    Command{"/queueadd", commandQueueAdd},
    Command{"/queuedel", commandQueueDel},
    Command{"/queueclear", commandQueueClear},
    Command{"/queueshuffle", commandQueueShuffle},
    Command{"/prev", commandPrev},
    Command{"/next", commandNext},
    Command{"/test", commandTest},
    Command{"/flush", commandFlush},
    Command{"/setpage", commandSetPage},
    Command{"/setshuffle", commandSetShuffle},
    Command{"/setflat", commandSetFlat},
    Command{"/setposition", commandSetPosition},
    Command{"/setvolume", commandSetVolume},
    Command{"/setrate", commandSetRate},
    Command{"/speedup", commandSpeedUp},
    Command{"/speeddown", commandSpeedDown},
    Command{"/scan", commandScan},
    Command{"/rescantags", commandRescanTags},
    Command{"/syncradio", commandSyncRadio},
    Command{"/artwork", commandArtwork},
    Command{"/findimg", commandFindImg},
    Command{"/fetcheq", commandFetchEq},
    Command{"/img", commandImg},
    Command{"/saveart", commandSaveArt},
    Command{"/dir", commandDir},
    Command{"/search", commandSearch},
    Command{"/setfilter", commandSetFilter},
    Command{"/quit", commandQuit},
    Command{"/getuserpref", commandGetUserPref},
    Command{"/setuserpref", commandSetUserPref},
    Command{"/setpagetocurrentsong", commandSetPageToCurrentSong},
    Command{"/fetch", commandFetch},
    Command{"/widget/VelmorantWidget.zip", commandWidget},
    Command{"/queuemove", commandQueueMove},
    Command{"/listfolder", commandListFolder},
    Command{"/listalbums", commandListAlbums},
    Command{"/radioadd", commandRadioAdd},
    Command{"/radioremove", commandRadioRemove},
    Command{"/scanstatus", commandScanStatus},
    Command{"/getinfo_library", commandGetInfoLibrary},
};

}  // namespace

const Command* findCommand(std::string_view path) {
    for (const Command& command : kCommands) {
        if (command.path == path) return &command;
    }
    return nullptr;
}
