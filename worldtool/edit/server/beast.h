#pragma once

// Boost.Beast and Asio, as the editor's server uses them. Boost 1.74's Asio uses std::exchange
// without including <utility>, which GCC 12 no longer brings in by the way under C++20: it
// must come first.
// clang-format off
#include <utility>
#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
// clang-format on
