#pragma once
// What the window asks of its record editor beyond a console's life cycle.
#include <optional>
#include <string>

#include "mainwindow/IndexSpaces.h"

class RecordEditorRequests {
  public:
    virtual ~RecordEditorRequests() = default;

    // The edit-field sheet over the editor ended: Done with its text, Cancel with none.
    virtual void editFieldSheetDidEnd(FieldIndex field, const std::optional<std::string>& text) = 0;
};
