#include "ui/cli/cli_commands.h"

#include <exception>
#include <new>

namespace tamsiro::cli {

int RunGuarded(CliUserInterface& ui, const CommandAction& command) {
    try {
        return command(ui);
    } catch (const std::bad_alloc&) {
        ui.ShowMessage("Internal error: out of memory");
    } catch (const std::exception& error) {
        ui.ShowMessage(std::string("Internal error: ") + error.what());
    } catch (...) {
        ui.ShowMessage("Internal error: an unknown exception");
    }
    return kExitFailure;
}

}  // namespace tamsiro::cli
