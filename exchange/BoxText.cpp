#include "exchange/BoxText.h"

#include <cmath>

#include "exchange/PrintLayout.h"
#include "platform/foundation/Localized.h"

using nlohmann::json;

int spacerCount(double objectHorizontalSpacing, double spaceWidth) {
    if (spaceWidth < 0.001) spaceWidth = 1.0;
    double count = std::ceil(objectHorizontalSpacing * PrintLayout::kPointsPerInch / spaceWidth);
    return count > 0 ? static_cast<int>(count) : 0;
}

std::vector<BoxTextRun> boxTextRuns(const BoxTextInput& input) {
    std::vector<BoxTextRun> runs;
    auto placeholder = [&](const char* text) {
        BoxTextRun run;
        run.kind = BoxTextRun::Placeholder;
        run.text = localizedString(text);
        run.alignment = 1;
        if (!input.page) runs.push_back(std::move(run));
    };
    if (input.numberOfRows == 0) {
        placeholder("(No rows to print)");
        return runs;
    }
    if (input.numberOfRows <= input.firstRowIndex) return runs;
    if (!input.objects.is_array() || input.objects.empty()) {
        placeholder("(Add some objects to the box)");
        return runs;
    }
    BoxTextRun spacer;
    spacer.kind = BoxTextRun::Spacer;
    spacer.text = std::string(static_cast<size_t>(input.spacerCount), ' ');
    bool afterBreak = true;
    int64_t position = -1;
    for (const json& object : input.objects) {
        ++position;
        if (!object.is_object()) continue;
        const json& typeValue = object.contains("type") ? object["type"] : json();
        int64_t type = typeValue.is_number() ? typeValue.get<int64_t>() : 0;
        if (type == kNewlineObjectType) {
            BoxTextRun newline;
            newline.kind = BoxTextRun::Newline;
            newline.text = "\n";
            runs.push_back(std::move(newline));
            afterBreak = true;
            continue;
        }
        BoxTextRun run;
        const json& alignment = object.contains("alignment") ? object["alignment"] : json();
        run.alignment = alignment.is_number() ? alignment.get<int>() : 0;
        if (run.alignment != 1 && run.alignment != 2) run.alignment = 0;
        if (object.contains("font_name") && object["font_name"].is_string()) {
            run.fontName = object["font_name"].get<std::string>();
        }
        if (object.contains("font_size") && object["font_size"].is_number()) {
            double size = object["font_size"].get<float>();
            if (size > 0) run.fontSize = size;
        }
        run.selected = input.selectedObjects.count(position) > 0;
        const json& text = object.contains("text") ? object["text"] : json();
        run.text = text.is_string() ? text.get<std::string>() : std::string();
        if (type != kTextObjectType) {
            const json& field = object.contains("field_index") ? object["field_index"] : json();
            bool known = field.is_number() && field.get<int64_t>() >= 0 &&
                         field.get<int64_t>() < input.numberOfFields;
            if (!afterBreak && !spacer.text.empty()) runs.push_back(spacer);
            if (!known) continue;
        } else if (!afterBreak && !spacer.text.empty()) {
            runs.push_back(spacer);
        }
        afterBreak = false;
        runs.push_back(std::move(run));
    }
    return runs;
}
