#include "stick/config_rewrite.h"

#include "host/binary_file.h"
#include "host/file_system.h"
#include "host/text_mode.h"
#include "stick/stick.h"

namespace tamsiro {

PlannedConfig PlanStickConfig(const Stick& stick, std::string_view stem, const ConfigTransform& transform) {
    PlannedConfig planned{std::string(stem), {}, ConfigProblem::None};
    const std::optional<std::string> input = ReadWholeFile(stick.Path(planned.stem + ".CFG"));
    if (!input) {
        planned.problem = ConfigProblem::Missing;
        return planned;
    }
    TransformedConfig transformed = transform(DecodeTextMode(*input));
    planned.bytes = EncodeTextMode(transformed.text);
    if (!transformed.wellFormed) planned.problem = ConfigProblem::BadFormat;
    return planned;
}

}  // namespace tamsiro
