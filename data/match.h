// Finding a typed text in a contact's name the way people read names: without regard to case or accents.
#pragma once

// Finds text in name, ignoring case and accents ("angel" finds "Ángeles", "sorensen" finds "Sørensen").
// On success start and length give the matched characters of name, which may differ in number from
// text (a decomposed accent, a letter like "ß"). False when text is empty or not found.
bool FindInName(const wchar_t* name, const wchar_t* text, int& start, int& length);
