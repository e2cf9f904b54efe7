// Test helper program: saves the first contact of the configured address book again and again, each time
// with the other of two birthdays, until it is killed. Sets the named event after its first save.
#include "platform/store/addressbook.h"
#include "platform/store/writeback.h"

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2)
        return 1;
    std::shared_ptr<const CSnapshot> snapshot = TheAddressBook().Current();
    if (snapshot->entries.empty())
        return 2;
    LONG oid = snapshot->entries[0].oid;
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[1]);
    for (int round = 0;; ++round)
    {
        CCardSession session;
        if (!LoadCardSession(oid, session))
            return 3;
        vcard::CCardFields fields = session.fields;
        fields.birthday = {1980, 3, fields.birthday.day == 15 ? 5 : 15};
        if (FAILED(SaveCardSession(session, fields).hr))
            return 4;
        if (round == 0)
            SetEvent(ready);
    }
}
