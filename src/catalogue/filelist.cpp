#include "catalogue/filelist.h"

#include <cstring>
#include <new>

namespace zt {

TFileChain* TFileChain::Create(std::string_view name) {
    void* mem = ::operator new(sizeof(TFileChain) + name.size());
    auto* record = new (mem) TFileChain(uint32_t(name.size()));
    if (!name.empty()) std::memcpy(reinterpret_cast<char*>(record + 1), name.data(), name.size());
    return record;
}

void TFileChain::Destroy(TFileChain* record) {
    if (!record) return;
    record->~TFileChain();
    ::operator delete(record);
}

std::string_view trimNameEnd(std::string_view name) {
    size_t n = name.size();
    while (n > 0 && static_cast<unsigned char>(name[n - 1]) <= 0x20)
        --n;
    return name.substr(0, n);
}

TFileList::~TFileList() {
    TFileChain* p = head;
    while (p) {
        TFileChain* next = p->next;
        TFileChain::Destroy(p);
        p = next;
    }
}

TFileChain* TFileList::AddFile(std::string_view name) {
    TFileChain* record = TFileChain::Create(trimNameEnd(name));
    if (tail)
        tail->next = record;
    else
        head = record;
    tail = record;
    ++count;
    return record;
}

void TFileList::AddFile(const WIN32_FIND_DATA& fd) {
    TFileChain* record = AddFile(fd.cFileName);
    record->creationTime = fd.ftCreationTime;
    record->lastAccessTime = fd.ftLastAccessTime;
    record->lastWriteTime = fd.ftLastWriteTime;
    record->sizeHigh = fd.nFileSizeHigh;
    record->sizeLow = fd.nFileSizeLow;
}

void TFileList::SetFolderData(const WIN32_FIND_DATA& fd) {
    creationTime = fd.ftCreationTime;
    lastAccessTime = fd.ftLastAccessTime;
    lastWriteTime = fd.ftLastWriteTime;
    sizeHigh = fd.nFileSizeHigh;
    sizeLow = fd.nFileSizeLow;
}

void FileListChain::Append(TFileList* list) {
    if (last_)
        last_->nextList = list;
    else
        first_ = list;
    last_ = list;
}

void FileListChain::Release() {
    TFileList* p = first_;
    while (p) {
        TFileList* next = p->nextList;
        delete p;
        p = next;
    }
    first_ = last_ = nullptr;
}

} // namespace zt
