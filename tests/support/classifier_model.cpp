// SPDX-License-Identifier: MIT
#include "support/classifier_model.h"

#include <set>

#include "analysis/line_store.h"
#include "common/error.h"
#include "platform/platform.h"

namespace gantrel::test {

std::ostream& operator<<(std::ostream& out, const Classified& classified)
{
    for (const auto& [kind, text] : classified.references) {
        out << (kind == ReferenceKind::Object ? "O " : "S ") << text << " | ";
    }
    return out << "tooLong="
               << (classified.tooLongLine ? std::to_string(*classified.tooLongLine) : "none");
}

Classified classify(std::string_view file, std::vector<std::size_t>* firstLines, std::size_t window)
{
    TileReferences references;
    references.keepUses(firstLines != nullptr);
    classifyTile(std::span<const char>(file.data(), file.size()), references, window);
    Classified result{{}, references.tooLongLine};
    for (std::size_t i = 0; i < references.size(); ++i) {
        result.references.emplace_back(references[i].kind, std::string(references.text(i)));
        if (firstLines) {
            firstLines->push_back(references[i].line);
        }
    }
    return result;
}

void forEachVectorSet(const std::function<void(VectorSet)>& check)
{
    const VectorSet widest = widestVectorSet();
    for (const VectorSet set : {VectorSet::Portable, VectorSet::Avx2, VectorSet::Avx512}) {
        if (set <= widest) {
            useVectorSet(set);
            check(set);
        }
    }
    useVectorSet(widest);
}

Classified classifyLineByLine(std::string_view file, std::vector<std::size_t>* firstLines)
{
    std::vector<char> bytes(file.begin(), file.end());
    LineStore store;
    store.assignFile(bytes);
    Classified result;
    std::set<std::string> seen;
    for (std::size_t i = 0; i < store.lineCount(); ++i) {
        std::u16string line;
        try {
            line = store.line(i);
        } catch (const OutOfResources&) {
            result.tooLongLine = i;
            break;
        }
        const std::u16string_view tail =
            std::u16string_view(line).substr(line.size() < 4 ? 0 : line.size() - 4);
        const bool object = tail == u".sco";
        if (object || tail == u".sli") {
            std::string text = platform::utf16ToNarrow(line);
            if (seen.insert(text).second) {
                result.references.emplace_back(
                    object ? ReferenceKind::Object : ReferenceKind::Spline, text);
                if (firstLines) {
                    firstLines->push_back(i);
                }
            }
        }
    }
    return result;
}

}  // namespace gantrel::test
