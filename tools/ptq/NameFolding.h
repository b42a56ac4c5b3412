#pragma once
// Names compared as a reader sees them: without regard to case or accents.

#include <string>

// `name` in lower case with the accents of Latin letters taken off ("Ž" and "z" fold alike);
// characters beyond Latin Extended-A stay as they are, only lowered when ASCII.
std::u16string FoldName(const std::u16string& name);
