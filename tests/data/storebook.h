// A test over the real contact store reading an address book the test writes to a scratch folder.
#pragma once

#include "data/settings.h"
#include "tests/store/register_store.h"
#include "tests/support/fixtures.h"

#include <gtest/gtest.h>
#include <objbase.h>

class CStoreBookTest : public ::testing::Test
{
protected:
    // book: the bytes of the address book, a contacts.vcf in the scratch folder.
    explicit CStoreBookTest(const char* book) : m_book(book) {}

    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        DeleteUserKey(SETTINGS_KEY);
        ASSERT_TRUE(RegisterContactStore());
        SetAddressBook(m_dir.Write(L"contacts.vcf", m_book));
    }
    void TearDown() override
    {
        ClearAddressBook();
        DeleteUserKey(SETTINGS_KEY);
        CoUninitialize();
    }

    CTempDir m_dir;

private:
    const char* m_book;
};
