// Test helper program. With one argument: saves the first contact of the configured address book again and again,
// each time with the other of two birthdays, until it is killed; sets the named event after its first save. With a
// UID prefix too: saves each contact whose UID starts with it once, with the mobile number "saved", and exits with
// the number of saves that failed.
#include "platform/store/addressbook.h"
#include "platform/store/writeback.h"

#include <string>
#include <vector>

namespace {

int SaveEachOnce(const std::string& prefix)
{
    std::shared_ptr<const CSnapshot> snapshot = TheAddressBook().Current();
    std::vector<LONG> oids;
    for (size_t i = 0; i < snapshot->Count(); ++i)
        if (snapshot->Record(i).uid.compare(0, prefix.size(), prefix) == 0)
            oids.push_back(snapshot->Oid(i));
    int failed = 0;
    for (LONG oid : oids)
    {
        COpenedCard opened;
        if (!OpenCard(oid, opened))
        {
            ++failed;
            continue;
        }
        vcard::CCardFields fields = opened.fields;
        fields.phones[vcard::PHONE_MOBILE] = "saved";
        CSaveResult result = SaveOpenedCard(opened, fields);
        failed += FAILED(result.hr) || !result.written ? 1 : 0;
    }
    return oids.empty() ? 100 : failed;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2)
        return 1;
    if (argc >= 3)
    {
        std::wstring wide = argv[2];
        HANDLE start = OpenEventW(SYNCHRONIZE, FALSE, argv[1]);
        if (start)
            WaitForSingleObject(start, 30000);
        return SaveEachOnce(std::string(wide.begin(), wide.end()));
    }
    std::shared_ptr<const CSnapshot> snapshot = TheAddressBook().Current();
    if (snapshot->Count() == 0)
        return 2;
    LONG oid = snapshot->Oid(0);
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[1]);
    for (int round = 0;; ++round)
    {
        COpenedCard opened;
        if (!OpenCard(oid, opened))
            return 3;
        vcard::CCardFields fields = opened.fields;
        fields.birthday = {1980, 3, fields.birthday.day == 15 ? 5 : 15};
        if (FAILED(SaveOpenedCard(opened, fields).hr))
            return 4;
        if (round == 0)
            SetEvent(ready);
    }
}
