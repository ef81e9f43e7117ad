#pragma once

namespace tamsiro {

class AppContext;
class TextReader;
class TextWriter;

// Copies the mode file with the custom voice switched on: "1 BASIC" and
// "1 USER" become 0, "0 VOICE" becomes 1; every other line is unchanged.
void CopyWithVoiceMode(TextReader& input, TextWriter& output);

// Rewrites the stick's OPEN-R\MW\DATA\P\MCUS.CFG so the robot uses the
// custom voice; the previous file is kept as MCUS.BAK.
bool RewriteModeFlags(AppContext& context);

}  // namespace tamsiro
