#include "stick/config_rewrite.h"

#include "app/app_context.h"
#include "host/binary_file.h"
#include "host/file_system.h"
#include "host/text_mode.h"
#include "stick/config_rotation.h"
#include "stick/stick.h"

namespace tamsiro {

namespace {

std::string Named(std::string_view stem, std::string_view extension) {
    std::string name(stem);
    name += extension;
    return name;
}

}  // namespace

bool RewriteStickConfig(AppContext& context, const Stick& stick, std::string_view stem,
                        const ConfigRewriteMessages& messages, const ConfigTransform& transform) {
    const std::optional<std::string> input = ReadWholeFile(stick.Path(Named(stem, ".CFG")));
    if (!input) {
        context.ShowMessage(std::string(messages.missingInput));
        return false;
    }
    // A leftover .TMP goes first and the new one is created afresh, so a
    // link left at its name is removed, never written through.
    const std::string temporary = stick.Path(Named(stem, ".TMP"));
    DiscardFile(temporary);
    BinaryFile output;
    if (!output.Open(temporary, BinaryFile::Mode::CreateNew)) {
        context.ShowMessage(std::string(messages.cannotCreate));
        return false;
    }
    const TransformedConfig transformed = transform(DecodeTextMode(*input));
    const std::string raw = EncodeTextMode(transformed.text);
    // The new file reaches the device before it can take the old one's place.
    bool written = output.WriteExactly(raw.data(), raw.size());
    written = output.Flush() && written;
    if (!output.Close() || !written) {
        context.ShowMessage(std::string(messages.writeFailed));
        return false;
    }
    if (!transformed.problem.empty()) {
        context.ShowMessage(std::string(transformed.problem));
        return false;
    }
    if (!RotateStickConfig(stick, stem)) {
        context.ShowMessage(std::string(messages.renameFailed));
        return false;
    }
    return true;
}

}  // namespace tamsiro
