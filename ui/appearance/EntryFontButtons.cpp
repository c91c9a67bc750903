#include "ui/appearance/EntryFontButtons.h"

#include "data/ColourText.h"
#include "data/SettingsStore.h"
#include "platform/FontDialog.h"
#include "platform/Registry.h"
#include "platform/RichEdit.h"
#include "platform/SystemColours.h"

namespace quorvane::EntryFontButtons {
namespace {
// The view carries a character set beside its font; Qt fonts have none.
const char* const kCharsetProperty = "charset";
constexpr int kDefaultOffsetTwips = 44 * 20;

quint32 colourValue(const QColor& colour) {
    return quint32(colour.red()) | quint32(colour.green()) << 8 | quint32(colour.blue()) << 16;
}
} // namespace

void chooseFont(FontDialog& dialog, RichEdit& view, EntryFont& entryFont) {
    const QFont current = view.textFont();
    FontDialog::Font seed = dialog.dialogFont();
    seed.face = current.family();
    seed.size = current.pointSize();
    seed.bold = current.bold();
    seed.italic = current.italic();
    seed.underline = current.underline();
    seed.strikeOut = current.strikeOut();
    seed.colour = colourValue(view.textColour());
    dialog.setDialogFont(seed);
    if (!dialog.execute())
        return;

    const FontDialog::Font chosen = dialog.dialogFont();
    QFont font = current;
    font.setFamily(chosen.face);
    font.setPointSize(chosen.size);
    font.setBold(chosen.bold);
    font.setItalic(chosen.italic);
    font.setUnderline(chosen.underline);
    font.setStrikeOut(chosen.strikeOut);
    view.setTextFont(font, toQColor(chosen.colour));
    view.setProperty(kCharsetProperty, chosen.charset);

    RegistryKey key;
    if (!key.openKey(SettingsStore::keyPath, true))
        return;
    key.writeString(SettingsStore::fontname, chosen.face);
    entryFont.fontname = chosen.face;
    key.writeInteger(SettingsStore::fontsize, chosen.size);
    entryFont.fontsize = chosen.size;
    const QString colour = ColourText::fromColour(chosen.colour);
    key.writeString(SettingsStore::fontcolor, colour);
    entryFont.fontcolor = colour;
}

void restoreDefault(RichEdit& view, EntryFont& entryFont) {
    const EntryFont defaults = EntryFont::defaults();
    QFont font = view.textFont();
    font.setFamily(defaults.fontname);
    font.setPointSize(defaults.fontsize);
    view.setTextFont(font, Qt::black);
    entryFont = defaults;
    view.setSelectionOffset(kDefaultOffsetTwips);
    view.viewport()->repaint();
    SettingsStore::writeEntryFont(defaults);
}

} // namespace quorvane::EntryFontButtons
