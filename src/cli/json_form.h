// The JSON form of a configuration record: one object whose keys are the record's
// field names. Texts are UTF-8 in JSON and Windows-1251 in the record; the
// conversion happens here and nowhere else in the tool.
#pragma once

#include "model/configuration.h"

#include <QJsonObject>

#include <string>
#include <vector>

namespace tk::cli {

// Every field of the record (ExtBlocksCount, which is derived, excepted).
QJsonObject ToJson(const Configuration& cfg);

// One refusal of an import: the flattened key ("Inputs[5].Flags", "TelNum[2]") and
// why, in Russian.
struct JsonError {
    std::string key;
    std::string reason;

    std::string text() const { return key.empty() ? reason : key + ": " + reason; }
    bool operator==(const JsonError&) const = default;
};

// How many refusals ApplyJson lists; the rest are only counted.
inline constexpr std::size_t kListedRefusals = 10;

// Applies the fields the object holds over cfg; absent keys keep cfg's values.
// TxVersion is checked to be a text and otherwise ignored. Refuses unknown keys,
// wrong types, numbers the field cannot store, texts that are too long or hold a
// character Windows-1251 lacks, and arrays of the wrong length. On any refusal cfg
// is left untouched; the first kListedRefusals refusals are returned and `total`
// (when given) gets the number of all of them.
std::vector<JsonError> ApplyJson(const QJsonObject& json, Configuration& cfg,
                                 std::size_t* total = nullptr);

// One field of the record by its flattened name, with its value as a JSON literal
// (a decimal number or a quoted string).
struct FlatField {
    std::string name;
    std::string value;
};

// Every field of the JSON form flattened, in record order: "ObjNum",
// "Partitions[0].DialUpMask", "TelNum[2]", "Inputs[5].EvCode[1]", "Comments[0]".
std::vector<FlatField> Flatten(const Configuration& cfg);

// A text as a JSON string literal (UTF-8, quoted, escaped; DEL as well, so that the
// literal is safe on a terminal).
std::string JsonQuote(const std::string& utf8);

} // namespace tk::cli
