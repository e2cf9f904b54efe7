// Where the contact store keeps its own settings: one key of the stand-ins, apart from the product's.
#pragma once

// HKEY_CURRENT_USER sub-key of the store's settings.
const wchar_t* const CONTACT_STORE_KEY = L"Software\\Festivo\\ContactStore";
// REG_SZ: a folder of .vcf files or one .vcf file. Missing: an empty store.
const wchar_t* const ADDRESS_BOOK_VALUE = L"AddressBook";
// Sub-key of CONTACT_STORE_KEY in which the store records the files it wrote itself.
const wchar_t* const JOURNAL_KEY = L"Software\\Festivo\\ContactStore\\Journal";

const wchar_t* const CONTACT_STORE_CLSID_TEXT = L"{05058F23-20BE-11D2-8F18-0000F87A4335}";
