// Names that more than one part of the issue shows: the two interviewed groups appear in the intro's
// scroll text and complete the articles menu entries 17 and 18.
#pragma once

constexpr const char* interviewed_group_1 = "Velvetine";
constexpr const char* interviewed_group_2 = "Orbitrax";
