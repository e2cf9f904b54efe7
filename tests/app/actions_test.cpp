// Contact actions: gathering order, choosing, template filling, composer parameters and desktop requests.
#include "common/contactactions.h"
#include "platform/phone/phone.h"
#include "tests/support/fake_store.h"
#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::wstring> g_requests;
// Whether a desktop program takes the recorded addresses.
bool g_taken = true;

bool Record(const wchar_t* address)
{
    g_requests.push_back(address);
    return g_taken;
}

// Records what the action asks of the user and answers picks as told.
class CScriptedUi : public CActionUi
{
public:
    void ShowMissing(const wchar_t* text) override { missing = text; }
    bool Pick(const wchar_t* title, CStrList& items, int& index) override
    {
        pickTitle = title;
        pickCount = items.GetCount();
        index = answer;
        return confirm;
    }
    std::wstring missing;
    std::wstring pickTitle;
    uint32_t pickCount = 0xdeadbeef;
    int answer = 0;
    bool confirm = true;
};

class Actions : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        m_registration = new CFakeStoreRegistration();
        CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp2,
                         reinterpret_cast<void**>(&m_store));
        g_requests.clear();
        g_taken = true;
        SetPhoneRecorder(Record);
        m_settings.SetDefaults();
    }
    void TearDown() override
    {
        SetPhoneRecorder(nullptr);
        if (m_store)
            m_store->Release();
        delete m_registration;
        CoUninitialize();
    }
    static FakeContact& Add(LONG oid, const wchar_t* first, const wchar_t* last)
    {
        FakeStore().contacts.push_back({oid, L"Name", NO_DATE, NO_DATE, false, first, last, {}});
        return FakeStore().contacts.back();
    }

    CFakeStoreRegistration* m_registration = nullptr;
    IPOutlookApp2* m_store = nullptr;
    CSettings m_settings;
    CScriptedUi m_ui;
};

} // namespace

TEST_F(Actions, OneNumberIsCalledAtOnce)
{
    Add(1, L"Ann", L"Lee").properties[PIMPR_HOME_TELEPHONE_NUMBER] = L"+1 (555) 0123";
    CallContact(m_store, 1, L"Ann Lee", m_ui);
    EXPECT_EQ(0xdeadbeefu, m_ui.pickCount) << "no popup for a single number";
    ASSERT_EQ(1u, g_requests.size());
    EXPECT_EQ(L"tel:+15550123", g_requests[0]);
    ASSERT_EQ(1u, FakeStore().requests.size());
    EXPECT_EQ(11u, FakeStore().requests[0].size());
    for (CEPROPID id : FakeStore().requests[0])
        EXPECT_NE(PIMPR_PAGER_NUMBER, id) << "the pager is never asked";
}

TEST_F(Actions, NumbersComeInPropertyOrderAndThePickIsCalled)
{
    FakeContact& c = Add(1, L"Ann", L"Lee");
    c.properties[PIMPR_ASSISTANT_TELEPHONE_NUMBER] = L"555-0199";
    c.properties[PIMPR_BUSINESS_TELEPHONE_NUMBER] = L"555-0100";
    c.properties[PIMPR_HOME_TELEPHONE_NUMBER] = L"";
    CStrList numbers;
    GatherPhoneNumbers(m_store, 1, numbers);
    ASSERT_EQ(2u, numbers.GetCount());
    EXPECT_STREQ(L"555-0100", *numbers.GetAt(0));
    EXPECT_STREQ(L"555-0199", *numbers.GetAt(1));

    m_ui.answer = 1;
    CallContact(m_store, 1, L"Ann Lee", m_ui);
    EXPECT_EQ(L"Select phone number:", m_ui.pickTitle);
    ASSERT_EQ(1u, g_requests.size());
    EXPECT_EQ(L"tel:5550199", g_requests[0]);
}

TEST_F(Actions, CancelledPickSendsNothingAndSaysNothing)
{
    FakeContact& c = Add(1, L"Ann", L"Lee");
    c.properties[PIMPR_EMAIL1_ADDRESS] = L"ann@example.com";
    c.properties[PIMPR_SMS] = L"+44 7700 900123";
    m_ui.confirm = false;
    SendGreeting(m_store, 1, m_settings, m_ui);
    EXPECT_EQ(L"Select address:", m_ui.pickTitle);
    EXPECT_EQ(2u, m_ui.pickCount);
    EXPECT_TRUE(g_requests.empty());
    EXPECT_TRUE(m_ui.missing.empty());
}

TEST_F(Actions, MissingNumbersAndAddressesAreSaid)
{
    Add(1, L"Ann", L"Lee");
    CallContact(m_store, 1, L"Ann Lee", m_ui);
    EXPECT_EQ(L"Phone number is missing!", m_ui.missing);
    SendGreeting(m_store, 1, m_settings, m_ui);
    EXPECT_EQ(L"Address is missing!", m_ui.missing);
    CallContact(m_store, 99, L"Nobody", m_ui);
    EXPECT_EQ(L"Phone number is missing!", m_ui.missing) << "an unknown contact has no numbers";
    EXPECT_TRUE(g_requests.empty());
}

TEST_F(Actions, MissingProgramsAreNamedByKind)
{
    FakeContact& c = Add(1, L"Ann", L"Lee");
    c.properties[PIMPR_MOBILE_TELEPHONE_NUMBER] = L"555-0100";
    c.properties[PIMPR_SMS] = L"555-0101";
    c.properties[PIMPR_EMAIL1_ADDRESS] = L"ann@example.com";
    g_taken = false;
    CallContact(m_store, 1, L"Ann Lee", m_ui);
    EXPECT_EQ(L"No program for calls (tel:) is set up on this computer.", m_ui.missing);
    m_ui.answer = 0;
    SendGreeting(m_store, 1, m_settings, m_ui);
    EXPECT_EQ(L"No program for text messages (sms:) is set up on this computer.", m_ui.missing);
    m_ui.answer = 1;
    SendGreeting(m_store, 1, m_settings, m_ui);
    EXPECT_EQ(L"No e-mail program (mailto:) is set up on this computer.", m_ui.missing);
    EXPECT_EQ(3u, g_requests.size());

    m_ui.missing.clear();
    g_taken = true;
    CallContact(m_store, 1, L"Ann Lee", m_ui);
    SendGreeting(m_store, 1, m_settings, m_ui);
    EXPECT_TRUE(m_ui.missing.empty()) << "nothing is said when a program took the request";
}

TEST_F(Actions, TextMessageAddressComesFirst)
{
    FakeContact& c = Add(1, L"Ann", L"Lee");
    c.properties[PIMPR_EMAIL2_ADDRESS] = L"two@example.com";
    c.properties[PIMPR_SMS] = L"555-0101";
    CStrList addresses;
    GatherMessageAddresses(m_store, 1, addresses);
    ASSERT_EQ(2u, addresses.GetCount());
    EXPECT_STREQ(L"555-0101", *addresses.GetAt(0));
    EXPECT_STREQ(L"two@example.com", *addresses.GetAt(1));
}

TEST_F(Actions, TemplatesReplaceOnlyTheFirstPlaceholder)
{
    Add(1, L"Ann", L"O\"Neil");
    CStr subject(L"Hi %FIRSTNAME%, %FirstName%!");
    CStr body(L"Happy Birthday dear %FirstName% %LastName%!");
    FillTemplates(m_store, 1, subject, body);
    EXPECT_STREQ(L"Hi Ann, %FirstName%!", subject);
    EXPECT_STREQ(L"Happy Birthday dear Ann O'Neil!", body);

    Add(2, nullptr, L"Lee");
    CStr subject2(L"Happy Birthday!");
    CStr body2(L"Happy Birthday dear %FirstName% %LastName%!");
    FillTemplates(m_store, 2, subject2, body2);
    EXPECT_STREQ(L"Happy Birthday dear  Lee!", body2) << "two spaces where the first name was";

    CStr untouched(L"\"%FirstName%\"");
    CStr other;
    FillTemplates(m_store, 99, untouched, other);
    EXPECT_STREQ(L"\"%FirstName%\"", untouched) << "an unknown contact changes nothing";
}

TEST_F(Actions, ComposerParametersHaveExactlyThreeQuotedValues)
{
    CStr parameters;
    BuildComposerParameters(L"ann@example.com", L"Hi", L"Body text", parameters);
    EXPECT_STREQ(L"-to \"ann@example.com\" -subject \"Hi\" -body \"Body text\"", parameters);
    BuildComposerParameters(L"evil\" -subject \"spam", L"Hi", L"B", parameters);
    EXPECT_STREQ(L"-to \"evil' -subject 'spam\" -subject \"Hi\" -body \"B\"", parameters);
    wchar_t to[100], subject[100], body[100];
    EXPECT_TRUE(ParseComposerParameters(parameters, to, subject, body, 100));
    EXPECT_STREQ(L"evil' -subject 'spam", to);
}

TEST_F(Actions, GreetingReachesTheDesktopComposer)
{
    Add(1, L"Zoë", L"O\"Neil").properties[PIMPR_EMAIL1_ADDRESS] = L"zoe@example.com";
    SendGreeting(m_store, 1, m_settings, m_ui);
    ASSERT_EQ(1u, g_requests.size());
    EXPECT_EQ(L"mailto:zoe@example.com?subject=Happy%20Birthday%21&body=Happy%20Birthday%20dear%20Zo%C3%AB%20O%27Neil%21",
              g_requests[0]);

    Add(2, L"Bo", L"Li").properties[PIMPR_SMS] = L"+44 7700 900123";
    SendGreeting(m_store, 2, m_settings, m_ui);
    ASSERT_EQ(2u, g_requests.size());
    EXPECT_EQ(L"sms:+447700900123?body=Happy%20Birthday%20dear%20Bo%20Li%21", g_requests[1]);
}

TEST(Phone, RequestsThatAreNotTheComposerAreRefused)
{
    wchar_t to[10], subject[10], body[10];
    EXPECT_FALSE(ParseComposerParameters(L"-to \"a\" -subject \"b\"", to, subject, body, 10));
    EXPECT_FALSE(ParseComposerParameters(L"-to \"a\" -subject \"b\" -body \"c\" -x", to, subject, body, 10));
    EXPECT_FALSE(ParseComposerParameters(nullptr, to, subject, body, 10));
    wchar_t tel[20];
    MakeTelAddress(L"call me: 555", tel, 20);
    EXPECT_STREQ(L"tel:555", tel);
    EXPECT_EQ(-1, tapiRequestMakeCall(L"no digits", L"", L"", L""));
}

TEST(Phone, TelAddressesDialTheNumberAsWritten)
{
    const struct
    {
        const wchar_t* number;
        const wchar_t* address;
    } cases[] = {
        {L"+1 555 0100 x23", L"tel:+15550100;ext=23"},
        {L"555-0100 ext. 23", L"tel:5550100;ext=23"},
        {L"555-0100 Extension 7", L"tel:5550100;ext=7"},
        {L"1-800-FLOWERS", L"tel:18003569377"},
        {L"1-800-flowers (work)", L"tel:18003569377"},
        {L"555-0100 (home)", L"tel:5550100"},
        {L"555 0100 mobile", L"tel:5550100"},
        {L"555-0100 x", L"tel:5550100"},
        {L"+44 (0)20 7946 0958", L"tel:+442079460958"},
        {L"(030) 1234", L"tel:0301234"},
        {L"*31#0301234", L"tel:*31%230301234"},
        {L"+49 30 1234 - ext 5", L"tel:+49301234;ext=5"},
        {L"n/a", L"tel:"},
        {L"ext. 23", L"tel:"},
    };
    for (const auto& c : cases)
    {
        wchar_t tel[64];
        MakeTelAddress(c.number, tel, 64);
        EXPECT_STREQ(c.address, tel) << "from " << testing::PrintToString(std::wstring(c.number));
    }
}

TEST_F(Actions, ANumberWithNothingToDialIsMissing)
{
    Add(1, L"Ann", L"Lee").properties[PIMPR_HOME_TELEPHONE_NUMBER] = L"unknown";
    CallContact(m_store, 1, L"Ann Lee", m_ui);
    EXPECT_EQ(L"Phone number is missing!", m_ui.missing);
    EXPECT_TRUE(g_requests.empty());
}

TEST(Phone, ComposerAddressesEncodeEverythingButUnreservedInSubjectAndBody)
{
    wchar_t address[200];
    MakeComposerAddress(L"a+b@example.com", L"1+1=2 & more", L"\"yes\"+#?", address, 200);
    EXPECT_STREQ(L"mailto:a+b@example.com?subject=1%2B1%3D2%20%26%20more&body=%22yes%22%2B%23%3F", address);
    MakeComposerAddress(L"+44 7700 900123", L"", L"a+b@c", address, 200);
    EXPECT_STREQ(L"sms:+447700900123?body=a%2Bb%40c", address);
}

TEST_F(Actions, QuotesNeverBreakTheComposerParameters)
{
    CStr parameters;
    BuildComposerParameters(L"a@example.com", L"Say \"hi\"", L"\"Dear\" you", parameters);
    EXPECT_STREQ(L"-to \"a@example.com\" -subject \"Say 'hi'\" -body \"'Dear' you\"", parameters);
    wchar_t to[100], subject[100], body[100];
    EXPECT_TRUE(ParseComposerParameters(parameters, to, subject, body, 100));
}

TEST(Phone, CallWithoutAProgramForTelAddressesIsRefused)
{
    // The test prefix's desktop, like a bare Wine desktop, has no program for tel: addresses.
    SetPhoneRecorder(nullptr);
    EXPECT_EQ(TAPIERR_NOREQUESTRECIPIENT, tapiRequestMakeCall(L"555-0100", L"", L"", L""));
}
