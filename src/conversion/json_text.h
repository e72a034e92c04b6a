#pragma once

// The one way velmorin-cli puts a document into JSON text. MD2 names are
// bytes, not UTF-8: any that are not valid UTF-8 become U+FFFD, so every
// document is valid JSON whatever a file holds.

#include <nlohmann/json.hpp>

#include <string>

inline std::string JsonText(const nlohmann::ordered_json& document) {
    return document.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}
