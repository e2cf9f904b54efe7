// The main program's loads of every event, each keeping the birthdays calendar in step with the address book.
#pragma once

class CDataList;

// Loads every event (CDataList::Load) and writes the birthdays calendar when its events changed.
void LoadEvents(CDataList& data);
