#include "formdraw/render/field_printing.h"

#include "formdraw/form/form_format.h"
#include "formdraw/render/field_format.h"
#include "formdraw/render/field_lookup.h"
#include "formdraw/render/layout_descriptor.h"
#include "formdraw/render/text_drawing.h"
#include "formdraw/session/draw_calls.h"
#include "formdraw/session/drawing_settings.h"

namespace fd::render {

using fmdraw::session::WorkArea;

int MakeFieldFont(WorkArea& area, const FieldFontSpec& spec) {
  draw::FontEntry entry;
  if (!FontEntryOf(area, spec.fontIndex, entry)) return -5;
  const draw::CreateFontArgs a = FieldFont(spec, entry);
  const fmdraw::session::CreatedFontSetting s{a.width, a.height, a.escapement, a.bold ? 1 : 0,
                                              a.italic ? 1 : 0, a.charset, a.pitch, a.family,
                                              std::string(a.face)};
  return fmdraw::session::CreateFont(area, s) == 0 ? 0 : -5;
}

void DecorateLastText(WorkArea& area, draw::DecorationKinds kinds, bool vertical) {
  if (kinds.underline == 0 && kinds.strike == 0) return;
  const auto& first = area.drawing.firstCharacter;
  const auto& end = area.drawing.textEnd;
  const draw::TextBox box{std::min(first.x, end.x), std::min(first.y, end.y),
                          std::max(first.x, end.x), std::max(first.y, end.y)};
  const int magnification = area.forms.CurrentSettings().magnification;
  const auto segments =
      draw::Decorate(box, vertical, kinds, draw::DecorationStep(magnification, area.dpi),
                     magnification, area.dpi, draw::DecorationPens::kField);
  DrawSegments(*area.device, segments, fmdraw::session::DrawingColor(area));
}

void DrawFieldLines(WorkArea& area, int width, const std::vector<MmLine>& lines) {
  if (width <= 0 || lines.empty()) return;
  const auto before = area.drawing.line;
  if (fmdraw::session::SetLine(area, 0, width) == 0)
    for (const MmLine& l : lines) fmdraw::session::PrintLine(area, l.x1, l.y1, l.x2, l.y2);
  fmdraw::session::RestoreLine(area, before);
}

namespace {

FormatOptions OptionsOf(const WorkArea& area) {
  return {area.drawing.cutLongText == 1, area.drawing.padCharacter};
}

int PrintSimpleField(WorkArea& area, const FoundField& field, std::string_view value) {
  const auto f = SimpleFieldGeometry(field.record, area.dpi);
  if (!f) return -3;
  if (MakeFieldFont(area, f->font) != 0) return -5;
  const auto text = FormatFieldValue(value, field.format, OptionsOf(area));
  if (!text) return -4;
  const draw::PrintTextArgs& t = f->text;
  const int printed = fmdraw::session::PrintText(area, t.x, t.y, t.extent, t.direction, t.alignment, *text);
  // The decoration follows the positions the text call recorded; a text that was not
  // laid out (empty, or refused for its extent, direction or alignment) recorded none,
  // and the positions of an earlier text must not get this field's lines.
  if (printed == 0 && !text->empty()) DecorateLastText(area, f->decorations, draw::IsVertical(t.direction));
  DrawFieldLines(area, f->frameWidth, f->frame);
  return 0;
}

// A flowed field: a blank at the field's corner starts the page and selects the font;
// then the flow engine lays out the unformatted value.
int PrintFlowField(WorkArea& area, const FoundField& field, std::string_view value) {
  const auto d = FromDataField(field.record);
  draw::FontEntry entry;
  if (!d || !FontEntryOf(area, d->font, entry)) return -5;
  fmdraw::session::PrintText(area, draw::TwipsToMm(d->x), draw::TwipsToMm(d->y),
                             std::max(1, draw::TwipsToMm(d->width)), 1, 1, " ");
  // The engine selects its own font; the session's font is selected again afterwards so
  // that the setting calls' early return stays true to the device.
  fmdraw::device::Device& dev = *area.device;
  const fmdraw::device::Font sessionFont = dev.State().font;
  const bool drawn = DrawFlowText(area, *d, value, entry, FormScaleOf(area));
  if (dev.State().font != sessionFont) dev.SelectFont(sessionFont);
  return drawn ? 0 : -5;
}

}  // namespace

int PrintDataField(WorkArea& area, std::string_view name, std::string_view value) {
  const auto field = FindDataField(area, name);
  if (!field) return -3;
  if (value.empty()) return 0;
  fmdraw::session::SetTextColour(
      area, static_cast<fmdraw::device::Color>(fmdraw::form::GetI32(field->record.data() + 88)) & 0xFFFFFF);
  if (field->record[33] == 0) return PrintSimpleField(area, *field, value);
  return PrintFlowField(area, *field, value);
}

}  // namespace fd::render
