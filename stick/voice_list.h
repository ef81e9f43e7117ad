#pragma once

namespace tamsiro {

class AppContext;
class TextReader;
class TextWriter;

// Copies the voice list, replacing the body of every "[VOICE]" section with
// one naming the custom voice CUSVOICE.ODA (the stock voice line commented
// out, and a note when the stock file was deleted). Returns the number of
// voice sections seen.
int CopyWithCustomVoice(TextReader& input, TextWriter& output, bool maleVoiceRemoved);

// Rewrites the stick's OPEN-R\MW\DATA\P\MCUSLIST.CFG to name the custom
// voice; the previous file is kept as MCUSLIST.BAK. A file without exactly
// one voice section is left as it is.
bool RewriteVoiceList(AppContext& context, bool maleVoiceRemoved);

}  // namespace tamsiro
