#pragma once

#include <string_view>

// Sample web-application data for a demo account, so the client's balance line,
// callback numbers, saved messages and address book have something to show.
namespace qbs {

class WebStore;

void seedDemoData(WebStore& store, std::string_view user);

} // namespace qbs
