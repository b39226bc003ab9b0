// The window's commands: for every menu item and button, what it does and when it may
// be chosen. Commands without a handler (Save as, Print, Edit ...) are never enabled;
// ids no item carries are enabled and do nothing.
#include "map_window.h"

#include <new>

namespace skywave::gui {

std::vector<MapWindow::CommandEntry> MapWindow::command_table() {
    const auto always = [] { return true; };
    const auto never = [] { return false; };
    // These change the grid, the constants or the file a run writes.
    const auto idle = [this] { return !busy(); };
    const auto replaying = [this] { return file_is_open(); };
    // The View items redraw a replayed screen, or an examined array.
    const auto viewing = [this] { return file_is_open() || examining_; };
    const auto help = [this](const char* caption) {
        return [this, caption] { dialogs_.message(this, "", caption); };
    };
    const auto view = [this](Command id) { return [this, id] { change_view(id); }; };

    std::vector<CommandEntry> table = {
        {CM_FILENEW, [this] { new_file(); }, idle},
        {CM_FILEOPEN, [this] { open_file(); }, idle},
        {CM_FILESAVE, [this] { save_file(); }, idle},
        // The window is gone afterwards: nothing is enabled again.
        {CM_FILEEXIT, [this] { exit_program(); }, always, false},
        {CM_CALCSTART, [this] { start_run(); }, idle},
        // Offered from the first calculation or constants command on.
        {CM_CALCSTOP, [this] { stop_work(); }, [this] { return m_.CalcInitDone != 0; }},
        {CM_CALCCVIEW, [this] { hooks_.exam_flag = bars_->toggle(CM_CALCCVIEW); }, always},
        {CM_CALCCHANGECONST, [this] { hooks_.change_flag = bars_->toggle(CM_CALCCHANGECONST); },
         always},
        {CM_EXAMNEXT, [this] { examine_next(); }, [this] { return examining_; }},
        {CM_CALCSCORE, [this] { score_one_file(); }, idle},
        {CM_CALCSCOREMULTI, [this] { score_many_files(); }, idle},
        {CM_CALCINIT,
         [this] {
             std::string confirmed = confirmed_output_;
             ask_run_settings(confirmed);
             confirmed_output_ = confirmed;
         },
         idle},
        {CM_CALCCDEFAULT, [this] { reset_constants(); }, idle},
        {CM_CALCCCHANGE, [this] { change_constants(); }, idle},
        {CM_CALCCDIDDLE, [this] { diddle_constants(); }, idle},
        {CM_CALCCOPEN, [this] { read_constants_file(); }, idle},
        {CM_CALCCWRITE, [this] { write_constants_file(); }, idle},
        {CM_REPLAYNEXT, [this] { next_screen(); }, replaying},
        {CM_REPLAYPREVIOUS, [this] { previous_screen(); }, replaying},
        {CM_REPLAYAUTO, [this] { start_auto_cycle(); }, replaying},
        {CM_REPLAYSTOP, [this] { stop_auto_cycle(); }, replaying},
        {CM_HELPINDEX, help("help index"), always},
        {CM_HELPKEYBOARD, help("help keyboard"), always},
        {CM_HELPCOMMANDS, help("help commands"), always},
        {CM_HELPPROCEDURES, help("help procedures"), always},
        {CM_HELPUSING, help("help using"), always},
        {CM_HELPABOUT, [this] { show_about(); }, always},
        {CM_HELPGUIDE, [this] { dialogs_.guide(this); }, always},
        {CM_FILEEXPORTPICTURE, [this] { export_picture(); },
         [this] { return !busy() && (file_is_open() || examining_); }},
        {CM_FILEEXPORTANIMATION, [this] { export_animation(); },
         [this] { return !busy() && file_is_open(); }},
        // A matter of the window alone, at any time.
        {CM_VIEWKEEPPROPORTIONS,
         [this] {
             bars_->toggle(CM_VIEWKEEPPROPORTIONS);
             update();
         },
         always},
    };
    for (Command id : {CM_FILESAVEAS, CM_FILEPRINT, CM_FILEPAGESET, CM_FILEPRINTSET, CM_EDITCUT,
                       CM_EDITCOPY, CM_EDITPASTE})
        table.push_back({id, [] {}, never});
    for (Command id :
         {CM_VIEWMAP, CM_VIEWQTH, CM_VIEWSUN, CM_VIEWGREATC, CM_VIEWMOF, CM_VIEWLOF, CM_VIEWOTHER,
          CM_VIEWSHORT, CM_VIEWLONG, CM_VIEWRECT, CM_VIEWPOLARN, CM_VIEWPOLARQ})
        table.push_back({id, view(id), viewing});
    return table;
}

const MapWindow::CommandEntry* MapWindow::find_entry(int id) const {
    for (const CommandEntry& entry : commands_)
        if (entry.id == id) return &entry;
    return nullptr;
}

bool MapWindow::command_enabled(int id) const {
    const CommandEntry* entry = find_entry(id);
    return !entry || entry->enabled();
}

void MapWindow::run_command(int id) {
    const CommandEntry* entry = find_entry(id);
    if (!entry || !entry->enabled()) return;
    try {
        entry->run();
    } catch (const std::bad_alloc&) {
        // The command is given up; the window goes on.
        dialogs_.message(this, "Not enough memory.", "MEMORY ERROR!");
    }
    if (entry->update_after) update_commands();
}

void MapWindow::update_commands() {
    if (bars_) bars_->enable_commands([this](int id) { return command_enabled(id); });
}

}  // namespace skywave::gui
