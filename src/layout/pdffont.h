#pragma once
// The font of every PDF the program writes. Some CJK fonts share one glyph
// between an ideograph and a Kangxi radical (U+2F00-U+2FDF) or a CJK radical
// supplement character (U+2E80-U+2EFF); Qt's PDF writer then records the
// radical as the text of the glyph, and a PDF reader gives back 科⽬ for 科目,
// so that searching a PDF for a name fails. The family chosen here has no
// such shared glyphs.

#include <QFont>
#include <QString>

namespace Layout {

// The first installed Simplified Chinese family whose ideographs share no
// glyph with a radical (Droid Sans Fallback on Debian); it is also the
// family of chart text, which ends up in PDFs too.
QString pdfFamily();
QFont pdfFont(qreal pointSize = 10, bool bold = false);

// How many ideographs (U+4E00-U+9FFF) of a font share their glyph with a
// radical or an Extension A character; -1 when the font cannot be read.
int radicalAliases(const QFont& font);

// Whether a text holds a code point of U+2E80-U+2FDF (what a PDF must never
// give back in place of an ideograph).
bool hasRadicals(const QString& text);

} // namespace Layout
