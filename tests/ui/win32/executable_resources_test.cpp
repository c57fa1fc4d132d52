// SPDX-License-Identifier: MIT
// What Windows reads from the built gantrel.exe before the program runs: the manifest, which
// Windows parses strictly and Wine barely looks at (a manifest Windows cannot parse keeps the
// program from starting), and the version record that the file's properties show.

#include <initguid.h>

#include <windows.h>

#include <shlwapi.h>
#include <xmllite.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

const std::wstring kAssembly = L"urn:schemas-microsoft-com:asm.v1";
const std::wstring kAssemblyV3 = L"urn:schemas-microsoft-com:asm.v3";
const std::wstring kCompatibility = L"urn:schemas-microsoft-com:compatibility.v1";

std::wstring programPath()
{
    // Absolute in the system's own form: under Wine the build's "/…" lies on the current drive.
    return std::filesystem::absolute(GANTREL_TEST_PROGRAM).make_preferred().wstring();
}

std::wstring wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());  // ASCII only: versions and names
}

// One element of the manifest: its path of namespace|name steps from the root, its attributes.
struct Element {
    std::wstring path;
    std::map<std::wstring, std::wstring> attributes;
};

std::wstring step(const std::wstring& space, const std::wstring& name)
{
    return L"/" + space + L"|" + name;
}

// The manifest as Windows finds it: resource 1 of type RT_MANIFEST.
std::string embeddedManifest()
{
    const HMODULE program = LoadLibraryExW(
        programPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (program == nullptr) {
        ADD_FAILURE() << "cannot load the program's resources, error " << GetLastError();
        return {};
    }
    std::string text;
    if (const HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {
        const HGLOBAL loaded = LoadResource(program, found);
        const auto* bytes = static_cast<const char*>(LockResource(loaded));
        text.assign(bytes, SizeofResource(program, found));
    }
    FreeLibrary(program);
    return text;
}

template <typename T>
struct Released {
    T* pointer = nullptr;
    ~Released()
    {
        if (pointer != nullptr) {
            pointer->Release();
        }
    }
};

// Every element of the document in order; fails the test where the text is no well-formed XML.
std::vector<Element> parsedElements(const std::string& text)
{
    using CreateReader = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);
    const HMODULE library = LoadLibraryW(L"xmllite.dll");
    const auto create = library == nullptr ? nullptr
                                           : reinterpret_cast<CreateReader>(reinterpret_cast<void*>(
                                                 GetProcAddress(library, "CreateXmlReader")));
    if (create == nullptr) {
        ADD_FAILURE() << "the system's XML reader is missing";
        return {};
    }
    Released<IStream> stream{SHCreateMemStream(reinterpret_cast<const BYTE*>(text.data()),
                                               static_cast<UINT>(text.size()))};
    Released<IXmlReader> reader;
    if (FAILED(create(IID_IXmlReader, reinterpret_cast<void**>(&reader.pointer), nullptr)) ||
        FAILED(reader.pointer->SetInput(stream.pointer))) {
        ADD_FAILURE() << "the XML reader cannot start";
        return {};
    }
    std::vector<Element> elements;
    std::vector<std::wstring> open;
    XmlNodeType type{};
    HRESULT result = S_OK;
    while ((result = reader.pointer->Read(&type)) == S_OK) {
        if (type == XmlNodeType_EndElement) {
            open.pop_back();
            continue;
        }
        if (type != XmlNodeType_Element) {
            continue;
        }
        const wchar_t* space = nullptr;
        const wchar_t* name = nullptr;
        reader.pointer->GetNamespaceUri(&space, nullptr);
        reader.pointer->GetLocalName(&name, nullptr);
        Element element{(open.empty() ? L"" : open.back()) + step(space, name), {}};
        const bool empty = reader.pointer->IsEmptyElement() != FALSE;
        for (HRESULT more = reader.pointer->MoveToFirstAttribute(); more == S_OK;
             more = reader.pointer->MoveToNextAttribute()) {
            const wchar_t* value = nullptr;
            reader.pointer->GetLocalName(&name, nullptr);
            reader.pointer->GetValue(&value, nullptr);
            element.attributes[name] = value;
        }
        if (!empty) {
            open.push_back(element.path);
        }
        elements.push_back(std::move(element));
    }
    EXPECT_EQ(result, S_FALSE) << "the manifest is no well-formed XML";
    return elements;
}

std::vector<Element> elementsAt(const std::vector<Element>& elements, const std::wstring& path)
{
    std::vector<Element> found;
    for (const Element& element : elements) {
        if (element.path == path) {
            found.push_back(element);
        }
    }
    return found;
}

std::wstring versionString(const std::vector<BYTE>& record, const wchar_t* name)
{
    void* value = nullptr;
    UINT length = 0;
    const std::wstring key = std::wstring(L"\\StringFileInfo\\040904E4\\") + name;
    if (VerQueryValueW(record.data(), key.c_str(), &value, &length) == FALSE || length == 0) {
        return {};
    }
    return static_cast<const wchar_t*>(value);
}

TEST(ExecutableResources, ManifestIsOneWindowsStartsAndDeclaresWhatAProgramOfTodayDoes)
{
    const std::vector<Element> elements = parsedElements(embeddedManifest());
    const std::wstring root = step(kAssembly, L"assembly");

    // The program's identity: a version of exactly four parts, each below 65536, the project's
    // version followed by a zero build number.
    const std::vector<Element> identity =
        elementsAt(elements, root + step(kAssembly, L"assemblyIdentity"));
    ASSERT_EQ(identity.size(), 1u);
    EXPECT_EQ(identity[0].attributes.at(L"version"), wide(GANTREL_TEST_PROJECT_VERSION) + L".0");
    EXPECT_EQ(identity[0].attributes.at(L"type"), L"win32");

    const std::wstring compatibility = root + step(kCompatibility, L"compatibility") +
                                       step(kCompatibility, L"application") +
                                       step(kCompatibility, L"supportedOS");
    std::set<std::wstring> systems;
    for (const Element& system : elementsAt(elements, compatibility)) {
        systems.insert(system.attributes.at(L"Id"));
    }
    EXPECT_EQ(systems, (std::set<std::wstring>{
                           L"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // Windows 7
                           L"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // Windows 8
                           L"{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // Windows 8.1
                           L"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // Windows 10 and 11
                       }));

    const std::vector<Element> level = elementsAt(
        elements, root + step(kAssemblyV3, L"trustInfo") + step(kAssemblyV3, L"security") +
                      step(kAssemblyV3, L"requestedPrivileges") +
                      step(kAssemblyV3, L"requestedExecutionLevel"));
    ASSERT_EQ(level.size(), 1u);
    EXPECT_EQ(level[0].attributes.at(L"level"), L"asInvoker");
    EXPECT_EQ(level[0].attributes.at(L"uiAccess"), L"false");
}

TEST(ExecutableResources, VersionRecordNamesVersionMakerAndCopyright)
{
    const std::wstring path = programPath();
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
    ASSERT_NE(size, 0u);
    std::vector<BYTE> record(size);
    ASSERT_NE(GetFileVersionInfoW(path.c_str(), 0, size, record.data()), FALSE);

    const std::wstring version = wide(GANTREL_TEST_PROJECT_VERSION) + L".0";
    EXPECT_EQ(versionString(record, L"FileVersion"), version);
    EXPECT_EQ(versionString(record, L"ProductVersion"), version);
    EXPECT_EQ(versionString(record, L"CompanyName"), L"The Gantrel developers");
    EXPECT_EQ(versionString(record, L"LegalCopyright").rfind(L"Copyright (c) ", 0), 0u);

    void* fixed = nullptr;
    UINT length = 0;
    ASSERT_NE(VerQueryValueW(record.data(), L"\\", &fixed, &length), FALSE);
    const auto* numbers = static_cast<const VS_FIXEDFILEINFO*>(fixed);
    wchar_t dotted[64];
    swprintf(dotted, 64, L"%u.%u.%u.%u", HIWORD(numbers->dwFileVersionMS),
             LOWORD(numbers->dwFileVersionMS), HIWORD(numbers->dwFileVersionLS),
             LOWORD(numbers->dwFileVersionLS));
    EXPECT_EQ(dotted, version);
}

}  // namespace
