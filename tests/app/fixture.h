// Common set-up of the main program's tests: COM, the in-memory store with known contacts, clean settings.
#pragma once

#include "data/bookstate.h"
#include "data/settings.h"
#include "platform/store/config.h"
#include "platform/phone/phone.h"
#include "tests/app/harness.h"
#include "tests/support/fake_store.h"
#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

const wchar_t* const TODAY_ITEM_KEY = L"Software\\Microsoft\\Today\\Items\\Festivo";

class MainProgram : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, 0);
        DeleteUserKey(SETTINGS_KEY);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, TODAY_ITEM_KEY);
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, TODAY_ITEM_KEY);
        m_store = new CFakeStoreRegistration();
        Requests().clear();
        SetPhoneRecorder([](const wchar_t* address) {
            Requests().push_back(address);
            return true;
        });
        Add(1, L"Anna", OleDate(1990, 5, 5));
        Add(2, L"JOANNE", OleDate(1985, 6, 3));
        Add(3, L"Hannah", OleDate(2000, 2, 1));
        Add(4, L"Bob", OleDate(1970, 3, 15), OleDate(1995, 12, 20));
        Add(5, L"Carl", OleDate(1988, 2, 29));
        // Asked before: the first-start question stays away unless a test asks for it.
        WriteChosenBook(L"");
    }
    void TearDown() override
    {
        DeleteChosenBook();
        SetPhoneRecorder(nullptr);
        delete m_store;
        DeleteUserKey(SETTINGS_KEY);
        CoUninitialize();
    }
    // Desktop addresses the call and composer requests would have opened.
    static std::vector<std::wstring>& Requests()
    {
        static std::vector<std::wstring> requests;
        return requests;
    }
    static void Add(LONG oid, const wchar_t* name, DATE birthday, DATE anniversary = NO_DATE)
    {
        FakeStore().contacts.push_back({oid, name, birthday, anniversary, false, nullptr, nullptr, {}});
    }
    static void DeleteChosenBook()
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, CONTACT_STORE_KEY, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS)
        {
            RegDeleteValueW(key, ADDRESS_BOOK_VALUE);
            RegCloseKey(key);
        }
    }
    // Runs the program with the scenario; returns Run's exit code.
    static int RunProgram(const std::function<void(CTestedApp&)>& scenario)
    {
        CTestedApp app;
        app.scenario = scenario;
        return app.Start();
    }
    static std::wstring Row(CTestedApp& app, int index)
    {
        return app.Data().GetItem(static_cast<uint32_t>(index))->GetName();
    }
    static void SetReference(CTestedApp& app, int year, int month, int day)
    {
        app.Data().SetReference(CTime(year, month, day, 0, 0, 0));
        app.View().Refill(0);
    }

    CDeviceProfile m_profile{L"PocketPC", 96};
    CFakeStoreRegistration* m_store = nullptr;
};
