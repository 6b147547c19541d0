// What the reference host checks of a registration record before it uses it.
#pragma once

#include <string>
#include <vector>

#include "host/ref_registration.h"

// Problems found: a missing callback, a text without its terminator, halves
// that disagree, no extension registered. Empty when the record is usable.
std::vector<std::string> CheckRegistration(const RefRegistration& registration);

// A text pair's UTF-16 half as UTF-8, with control characters escaped
// (\r, \n, \t) so that they show in printed output.
std::string PrintableText(const TextPair& pair);
