// The DLL's entry points: class object, unloading, and registration under HKEY_CLASSES_ROOT.
#include "platform/store/module.h"

#include "platform/store/addressbook.h"
#include "platform/store/codepage.h"
#include "platform/store/config.h"
#include "platform/store/objects.h"

#include <olectl.h>

#include <string>

namespace {

HINSTANCE g_module = nullptr;
LONG g_objects = 0;
LONG g_locks = 0;

class CClassFactory : public IClassFactory
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (iid != IID_IUnknown && iid != IID_IClassFactory)
            return E_NOINTERFACE;
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    // The factory is static: it lives as long as the DLL.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        CApplication* application = new CApplication();
        HRESULT hr = application->QueryInterface(iid, object);
        application->Release();
        return hr;
    }

    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override
    {
        if (lock)
            InterlockedIncrement(&g_locks);
        else
            InterlockedDecrement(&g_locks);
        return S_OK;
    }
};

CClassFactory g_factory;

std::wstring ClassKey()
{
    return std::wstring(L"CLSID\\") + CONTACT_STORE_CLSID_TEXT;
}

bool SetString(HKEY root, const std::wstring& subKey, const wchar_t* name, const std::wstring& value)
{
    HKEY key;
    if (RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    LONG rc = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

} // namespace

HINSTANCE StoreModule()
{
    return g_module;
}

void ObjectCreated()
{
    InterlockedIncrement(&g_objects);
}

void ObjectDestroyed()
{
    // With the last object gone the address book stops watching, so the DLL can be unloaded.
    if (InterlockedDecrement(&g_objects) == 0)
    {
        TheAddressBook().Release();
        CContact::FreeKept();
    }
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
    {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
        InstallCodePageDecoder();
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (clsid != CLSID_Application)
        return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, object);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow()
{
    return g_objects == 0 && g_locks == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer()
{
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(g_module, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return SELFREG_E_CLASS;
    std::wstring key = ClassKey();
    bool ok = SetString(HKEY_CLASSES_ROOT, key, nullptr, L"Festivo contact store") &&
              SetString(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", nullptr, path) &&
              SetString(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", L"ThreadingModel", L"Both");
    return ok ? S_OK : SELFREG_E_CLASS;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer()
{
    LONG rc = RegDeleteTreeW(HKEY_CLASSES_ROOT, ClassKey().c_str());
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_CLASS;
}
