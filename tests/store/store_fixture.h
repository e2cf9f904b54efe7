// Fixture of the store tests: COM, the registered store, and a scratch address book per test.
#pragma once

#include "platform/store/contactstore.h"
#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

struct CListedContact
{
    LONG oid;
    std::wstring name;
    DATE birthday;
    DATE anniversary;
};

class StoreTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // A logged-on application object (window may be null); the fixture releases it.
    IPOutlookApp2* Open(HWND window = nullptr);
    std::vector<CListedContact> List();
    IItem* ItemOf(LONG oid);
    // Releases every store object: the store forgets what it read, as when no program runs.
    void CloseStore();
    // Waits until files written so far are old enough for their listing to be trusted.
    static void LetStampsSettle();
    // Writes an address book file into the test's folder, which is the configured address book.
    std::wstring WriteBook(const wchar_t* name, const std::string& text) { return m_dir.Write(name, text); }

    CTempDir m_dir;
    std::vector<IPOutlookApp2*> m_apps;
};

// BEGIN:VCARD / VERSION / lines / END:VCARD with CRLF line ends.
std::string Card(const std::string& version, const std::vector<std::string>& lines);
// The OLE automation date of a calendar day.
DATE OleDate(int year, int month, int day);
