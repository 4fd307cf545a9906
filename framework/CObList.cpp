#include "CObList.h"

#include <cstdlib>
#include <new>

CObList::CObList(int nBlockSize) : m_nBlockSize(nBlockSize > 0 ? nBlockSize : 10) {}

CObList::~CObList() {
    RemoveAll();
}

CObList::Node* CObList::NewNode(Node* prev, Node* next) {
    if (!m_pFree) {
        // One allocation holds a block header and m_nBlockSize nodes.
        size_t bytes = sizeof(Block) + sizeof(Node) * static_cast<size_t>(m_nBlockSize);
        void* memory = std::malloc(bytes);
        if (!memory)
            throw std::bad_alloc();
        Block* block = static_cast<Block*>(memory);
        block->next = m_pBlocks;
        m_pBlocks = block;
        Node* nodes = reinterpret_cast<Node*>(block + 1);
        for (int i = m_nBlockSize - 1; i >= 0; --i) {
            nodes[i].next = m_pFree;
            m_pFree = &nodes[i];
        }
    }
    Node* node = m_pFree;
    m_pFree = m_pFree->next;
    node->prev = prev;
    node->next = next;
    node->data = nullptr;
    ++m_nCount;
    return node;
}

void CObList::FreeNode(Node* node) {
    node->next = m_pFree;
    m_pFree = node;
    if (--m_nCount == 0)
        RemoveAll();
}

CObject*& CObList::GetHead() {
    return m_pHead->data;
}

CObject*& CObList::GetTail() {
    return m_pTail->data;
}

CObject* CObList::RemoveHead() {
    if (!m_pHead)
        return nullptr;
    Node* old = m_pHead;
    CObject* data = old->data;
    m_pHead = old->next;
    if (m_pHead)
        m_pHead->prev = nullptr;
    else
        m_pTail = nullptr;
    FreeNode(old);
    return data;
}

CObject* CObList::RemoveTail() {
    if (!m_pTail)
        return nullptr;
    Node* old = m_pTail;
    CObject* data = old->data;
    m_pTail = old->prev;
    if (m_pTail)
        m_pTail->next = nullptr;
    else
        m_pHead = nullptr;
    FreeNode(old);
    return data;
}

POSITION CObList::AddHead(CObject* element) {
    Node* node = NewNode(nullptr, m_pHead);
    node->data = element;
    if (m_pHead)
        m_pHead->prev = node;
    else
        m_pTail = node;
    m_pHead = node;
    return reinterpret_cast<POSITION>(node);
}

POSITION CObList::AddTail(CObject* element) {
    Node* node = NewNode(m_pTail, nullptr);
    node->data = element;
    if (m_pTail)
        m_pTail->next = node;
    else
        m_pHead = node;
    m_pTail = node;
    return reinterpret_cast<POSITION>(node);
}

void CObList::RemoveAll() {
    while (m_pBlocks) {
        Block* next = m_pBlocks->next;
        std::free(m_pBlocks);
        m_pBlocks = next;
    }
    m_pHead = m_pTail = m_pFree = nullptr;
    m_nCount = 0;
}

POSITION CObList::GetHeadPosition() const {
    return reinterpret_cast<POSITION>(m_pHead);
}

POSITION CObList::GetTailPosition() const {
    return reinterpret_cast<POSITION>(m_pTail);
}

CObject*& CObList::GetNext(POSITION& position) {
    Node* node = reinterpret_cast<Node*>(position);
    position = reinterpret_cast<POSITION>(node->next);
    return node->data;
}

CObject*& CObList::GetPrev(POSITION& position) {
    Node* node = reinterpret_cast<Node*>(position);
    position = reinterpret_cast<POSITION>(node->prev);
    return node->data;
}

CObject*& CObList::GetAt(POSITION position) {
    return reinterpret_cast<Node*>(position)->data;
}

void CObList::RemoveAt(POSITION position) {
    Node* node = reinterpret_cast<Node*>(position);
    if (node->prev)
        node->prev->next = node->next;
    else
        m_pHead = node->next;
    if (node->next)
        node->next->prev = node->prev;
    else
        m_pTail = node->prev;
    FreeNode(node);
}

POSITION CObList::FindIndex(int index) const {
    if (index < 0 || index >= m_nCount)
        return nullptr;
    Node* node = m_pHead;
    while (index-- > 0)
        node = node->next;
    return reinterpret_cast<POSITION>(node);
}

POSITION CObList::Find(CObject* element, POSITION startAfter) const {
    Node* node = startAfter ? reinterpret_cast<Node*>(startAfter)->next : m_pHead;
    for (; node; node = node->next) {
        if (node->data == element)
            return reinterpret_cast<POSITION>(node);
    }
    return nullptr;
}
