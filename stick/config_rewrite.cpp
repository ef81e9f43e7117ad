#include "stick/config_rewrite.h"

#include "app/app_context.h"
#include "app/stick_path.h"
#include "app/text_file.h"
#include "stick/config_rotation.h"

namespace tamsiro {

bool RewriteStickConfig(AppContext& context, const std::string& stem, const ConfigRewriteMessages& messages,
                        const std::function<bool(TextReader&, TextWriter&)>& transform) {
    TextReader input;
    if (!input.Open(ResolveStickPath(stem + ".CFG"))) {
        context.ShowMessage(messages.missingInput);
        return false;
    }
    TextWriter output;
    if (!output.Create(ResolveStickPath(stem + ".TMP"))) {
        input.Close();
        context.ShowMessage(messages.cannotCreate);
        return false;
    }
    const bool wellFormed = transform(input, output);
    input.Close();
    if (!output.Close()) {
        context.ShowMessage(messages.writeFailed);
        return false;
    }
    if (!wellFormed) {
        context.ShowMessage(messages.badFormat);
        return false;
    }
    if (!RotateStickConfig(stem)) {
        context.ShowMessage(messages.renameFailed);
        return false;
    }
    return true;
}

}  // namespace tamsiro
