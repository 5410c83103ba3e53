#include "SortableModel.h"

namespace quillon {

bool TRevisionKey::operator<(const TRevisionKey& other) const {
    std::string_view a = Number, b = other.Number;
    while (!a.empty() && !b.empty()) {
        auto part = [](std::string_view& text) {
            const std::size_t dot = text.find('.');
            std::string_view digits = text.substr(0, dot);
            text = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
            while (digits.size() > 1 && digits.front() == '0')
                digits.remove_prefix(1);
            return digits;
        };
        const std::string_view x = part(a), y = part(b);
        if (x.size() != y.size())
            return x.size() < y.size();
        if (x != y)
            return x < y;
    }
    return a.empty() && !b.empty();
}

void TSortableModel::sort(int column, Qt::SortOrder order) {
    Column = column;
    Order = order;
    Resort();
}

void TSortableModel::Resort() {
    if (Column >= 0 && Column < columnCount())
        StartSort(Column, Order);
}

} // namespace quillon
