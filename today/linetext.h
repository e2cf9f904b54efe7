// The texts of the Today item's lines: the header and one event line, split around the name.
#pragma once

#include "core/str.h"
#include "data/calendar.h"

class CDataItem;
class CSettings;

// "Birthday: 3 events in 3 month(s)"
void BuildHeaderText(unsigned total, int months, CStr& out);

// An event line is lead + name + tail: "06 Dec: " + "Test Contact" + " (36y) [4]". On the event's own
// day the lead is "Today: "; an event without a year shows neither a year nor an age.
void BuildEventText(const CTime& now, const CDataItem& event, const CSettings& settings, CStr& lead, CStr& tail);

// The age reached at the next occurrence counted from now; NO_AGE for an event without a year.
int AgeAt(const CTime& now, const CDataItem& event, int showFutureAge);
