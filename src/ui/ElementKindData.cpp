#include <utility>

#include "ui/DescriptionFields.h"

namespace runtime {
namespace {

bool ReadFields(FieldReader& reader, Span& r, WindowData& d) {
    if (!reader.I32(r, "border kind", d.borderKind) ||
        !reader.I32(r, "background picture mode", d.backgroundPictureMode) ||
        !reader.U32(r, "background colour", d.backgroundColour) ||
        !reader.I32(r, "maximise button", d.maximiseButton) || !reader.I32(r, "minimise button", d.minimiseButton) ||
        !reader.I32(r, "control box", d.controlBox) || !reader.I32(r, "start position", d.startPosition) ||
        !reader.I32(r, "movable", d.movable) ||
        !reader.I32(r, "background music play mode", d.backgroundMusicPlayMode) ||
        !reader.I32(r, "Enter moves focus", d.enterMovesFocus) || !reader.I32(r, "Esc closes", d.escCloses) ||
        !reader.I32(r, "F1 opens help", d.f1OpensHelp) || !reader.I32(r, "help context number", d.helpContext)) {
        return false;
    }
    if (d.version >= 2 && !reader.I32(r, "shown on the taskbar", d.shownOnTaskbar)) return false;
    if (d.version >= 3 &&
        (!reader.I32(r, "version 3 value", d.version3First) || !reader.I32(r, "shape value", d.shapeValue))) {
        return false;
    }
    if (d.version >= 4 && !reader.I32(r, "always on top", d.alwaysOnTop)) return false;
    if (d.version >= 5 && !reader.I32(r, "version 5 value", d.version5Value)) return false;
    if (d.version >= 6 && !reader.Counted(r, "class name", d.className)) return false;
    return reader.Counted(r, "background picture", d.backgroundPicture) && reader.Counted(r, "icon", d.icon) &&
           reader.Counted(r, "background music", d.backgroundMusic) && reader.Counted(r, "caption", d.caption) &&
           reader.Counted(r, "help file name", d.helpFileName);
}

bool ReadFields(FieldReader& reader, Span& r, LabelData& d) {
    if (!reader.I32(r, "text effect", d.textEffect) || !reader.I32(r, "border width", d.borderWidth) ||
        !reader.I32(r, "border kind", d.borderKind) || !reader.U32s(r, "border colour", d.borderColours) ||
        !reader.U32(r, "text colour", d.textColour) || !reader.U32(r, "background colour", d.backgroundColour) ||
        !reader.I32(r, "unnamed value", d.unnamedValue) || !reader.I32(r, "gradient mode", d.gradientMode) ||
        !reader.U32s(r, "gradient colour", d.gradientColours) ||
        !reader.I32(r, "horizontal alignment", d.horizontalAlignment) ||
        !reader.I32(r, "vertical alignment", d.verticalAlignment) || !reader.I32(r, "word wrap", d.wordWrap) ||
        !reader.Counted(r, "font", d.font) || !reader.Counted(r, "picture", d.picture) ||
        !reader.Counted(r, "text", d.text)) {
        return false;
    }
    return d.version < 2 ||
           (reader.Counted(r, "data source", d.dataSource) && reader.Counted(r, "data column", d.dataColumn));
}

bool ReadFields(FieldReader& reader, Span& r, ButtonData& d) {
    return reader.I32(r, "button kind", d.buttonKind) && reader.I32(r, "horizontal alignment", d.horizontalAlignment) &&
           reader.I32(r, "vertical alignment", d.verticalAlignment) && reader.Counted(r, "picture", d.picture) &&
           reader.Counted(r, "font", d.font) && reader.Counted(r, "text", d.text);
}

bool ReadFields(FieldReader& reader, Span& r, CheckBoxData& d) {
    if (!reader.I32(r, "push-button look", d.pushLike) || !reader.I32(r, "flat", d.flat) ||
        !reader.I32(r, "text on the left", d.textOnLeft) ||
        !reader.I32(r, "horizontal alignment", d.horizontalAlignment) ||
        !reader.I32(r, "vertical alignment", d.verticalAlignment) || !reader.U32(r, "text colour", d.textColour) ||
        !reader.U32(r, "background colour", d.backgroundColour) || !reader.I32(r, "checked", d.checked) ||
        !reader.Counted(r, "picture", d.picture) || !reader.Counted(r, "font", d.font) ||
        !reader.Counted(r, "text", d.text)) {
        return false;
    }
    return d.version < 2 ||
           (reader.Counted(r, "data source", d.dataSource) && reader.Counted(r, "data column", d.dataColumn));
}

template <typename Data> bool ReadData(FieldReader& reader, Span& record, ElementDescription& element) {
    Data data;
    if (!reader.I32(record, "kind data version", data.version)) return false;
    if (data.version > Data::kHighestVersion) {
        // Unreadable: the rest of the record is a layout this runtime does not know.
        element.data = std::move(data);
        record.position = record.end;
        return true;
    }
    if (!ReadFields(reader, record, data)) return false;
    if (record.position != record.end) {
        return reader.Fail(record.position,
                           std::to_string(record.Remaining()) + " bytes of the record follow its kind data");
    }
    element.data = std::move(data);
    return true;
}

} // namespace

bool ReadKindData(FieldReader& reader, Span& record, ElementDescription& element) {
    switch (element.kind) {
    case ElementKind::Window:
        return ReadData<WindowData>(reader, record, element);
    case ElementKind::Label:
        return ReadData<LabelData>(reader, record, element);
    case ElementKind::Button:
        return ReadData<ButtonData>(reader, record, element);
    case ElementKind::CheckBox:
        return ReadData<CheckBoxData>(reader, record, element);
    }
    return false;
}

} // namespace runtime
