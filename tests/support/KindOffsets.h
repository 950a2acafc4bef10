#pragma once
// The fields of every prototype kind beside critters as the record
// description gives them, written out key by key with offset and width,
// independently of the product's layout table, so that tests can check what
// the window shows and writes against the bytes.
#include <cstdint>
#include <string>
#include <vector>

namespace quarnel::test {

// How a field's value is shown: decimal, hexadecimal of 2 or 4 bytes, or a
// drop-down list.
enum class Shown { Decimal, Hex2, Hex4, List };

struct KindField {
    std::string key; // as the command line writes it
    int offset;
    int width;
    Shown shown;
};

// The fields of a kind in file order: typeByte 0 items, 2 scenery, 3 walls,
// 4 tiles, 5 misc; subtype for items and scenery.
std::vector<KindField> KindFields(int typeByte, int subtype);

// The text a field shows for its bytes: hexadecimal with two digits a byte,
// or decimal (signed for 4 bytes, unsigned for 1 and 2).
std::string ShownText(const KindField& field, const std::vector<std::uint8_t>& bytes);

} // namespace quarnel::test
