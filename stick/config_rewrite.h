#pragma once

#include <functional>
#include <string>

namespace tamsiro {

class AppContext;
class TextReader;
class TextWriter;

// The messages a configuration rewrite shows, in the order of its steps.
struct ConfigRewriteMessages {
    const char* missingInput;
    const char* cannotCreate;
    const char* writeFailed;
    const char* badFormat;  // only for files whose shape is checked
    const char* renameFailed;
};

// Rewrites the stick configuration file `stem`.CFG into `stem`.TMP with
// `transform`, then rotates .TMP, .CFG and .BAK. `transform` copies the
// input to the output and returns false when the input's shape is wrong
// (after showing its own message). Each failure shows its message; false
// is returned after any of them.
bool RewriteStickConfig(AppContext& context, const std::string& stem, const ConfigRewriteMessages& messages,
                        const std::function<bool(TextReader&, TextWriter&)>& transform);

}  // namespace tamsiro
