#pragma once
// Intrusive circular lists of the pools: the head is a sentinel element of the same type,
// and an element links through its `next` and `previous` members.

template <typename T>
void ringLinkAtEnd(T& head, T* item) {
    item->next = &head;
    item->previous = head.previous;
    head.previous->next = item;
    head.previous = item;
}

template <typename T>
void ringLinkAtFront(T& head, T* item) {
    item->previous = &head;
    item->next = head.next;
    head.next->previous = item;
    head.next = item;
}

template <typename T>
void ringUnlink(T* item) {
    item->previous->next = item->next;
    item->next->previous = item->previous;
}
