#pragma once
// Fills the conversions of a message pattern (%@, %s, %d, %ld, %lld, %u, %lu) in order with
// ready-made texts. Messages are keyed by their English pattern, so one formatter serves every
// language; "%%" stands for a percent sign.
#include <initializer_list>
#include <string>
#include <string_view>

std::string formatText(std::string_view pattern, std::initializer_list<std::string> args);
