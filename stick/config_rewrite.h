#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tamsiro {

class AppContext;
class Stick;

// The messages a configuration rewrite shows, in the order of its steps.
struct ConfigRewriteMessages {
    std::string_view missingInput;
    std::string_view cannotCreate;
    std::string_view writeFailed;
    std::string_view renameFailed;
};

// What a transform made of the decoded file: the new text, and the message
// to show instead of installing it when the input's shape is wrong (empty
// when the shape is fine).
struct TransformedConfig {
    std::string text;
    std::string_view problem;
};

using ConfigTransform = std::function<TransformedConfig(std::string_view decoded)>;

// Rewrites the stick configuration file `stem`.CFG into `stem`.TMP with
// `transform`, then rotates .TMP, .CFG and .BAK. Each failure shows its
// message; false is returned after any of them.
[[nodiscard]] bool RewriteStickConfig(AppContext& context, const Stick& stick, std::string_view stem,
                                      const ConfigRewriteMessages& messages, const ConfigTransform& transform);

}  // namespace tamsiro
