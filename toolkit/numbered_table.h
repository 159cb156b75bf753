#pragma once
// Tables of records under small caller-chosen numbers, shared by the window, menu, image and
// control libraries. Numbers 0 and up index an array that grows to number + growth slots when a
// number at or past its end is used. The dynamic number asks the table for a fresh identifier:
// a counter from first_dynamic_id upwards, so it never collides with a chosen number and fits
// the 32-bit number type on 32-bit and 64-bit builds alike. All memory comes from the private heap.
//
// A table does no locking; each library says which threads may use its table.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "toolkit/heap.h"

constexpr int32_t dynamic_number = -1;
constexpr int32_t first_dynamic_id = 0x40000000;

template <typename Record>
class numbered_table {
    static_assert(std::is_trivially_copyable_v<Record>, "records are zeroed and moved as bytes");

public:
    bool init(int32_t initial_slots, int32_t growth)
    {
        growth_ = growth;
        next_id_ = first_dynamic_id;
        if (slots_)
            return true;
        return grow_to(initial_slots);
    }

    // The record under a number, or nullptr when the table has none there. The record may be empty:
    // each library decides by its own handle field whether a record is in use.
    Record* find(int32_t number)
    {
        if (number >= 0 && number < size_)
            return &slots_[number];
        if (number >= first_dynamic_id) {
            node* n = find_node(number);
            return n ? &n->record : nullptr;
        }
        return nullptr;
    }

    // The record to fill for a new object under *number. A fixed number grows the array as needed;
    // dynamic_number makes a fresh zeroed record and stores its identifier in *number; a live
    // dynamic identifier gives its record back. nullptr when the number cannot be used or memory
    // is short. The caller releases what the record held before.
    Record* claim(int32_t* number)
    {
        int32_t n = *number;
        if (n == dynamic_number) {
            node* fresh = make_node();
            if (!fresh)
                return nullptr;
            *number = fresh->id;
            return &fresh->record;
        }
        if (n >= first_dynamic_id)
            return find(n);
        if (n < 0)
            return nullptr;
        if (n >= size_ && !grow_to(n + growth_))
            return nullptr;
        return &slots_[n];
    }

    // Zeroes a fixed slot, or unlinks and frees a dynamic record.
    void release(int32_t number)
    {
        if (number >= 0 && number < size_) {
            std::memset(&slots_[number], 0, sizeof(Record));
            return;
        }
        if (number < first_dynamic_id || !buckets_)
            return;
        node** link = &buckets_[bucket_of(number)];
        while (*link && (*link)->id != number)
            link = &(*link)->next;
        if (node* gone = *link) {
            *link = gone->next;
            heap_free(gone);
            --dynamic_count_;
        }
    }

    // Calls f(number) for every record that used(record) accepts: fixed numbers in ascending order,
    // then dynamic identifiers in the order they were handed out. f may release the record it is
    // given (or any other); records released before their turn are skipped.
    template <typename Used, typename F>
    void for_each_used(Used used, F f)
    {
        for (int32_t i = 0; i < size_; ++i)
            if (used(slots_[i]))
                f(i);
        if (!dynamic_count_)
            return;
        int32_t count = 0;
        auto* ids = static_cast<int32_t*>(heap_alloc(sizeof(int32_t) * dynamic_count_));
        if (!ids)
            return;
        for (int32_t b = 0; b <= bucket_mask_; ++b)
            for (node* n = buckets_[b]; n; n = n->next)
                ids[count++] = n->id;
        std::sort(ids, ids + count);
        for (int32_t i = 0; i < count; ++i) {
            Record* r = find(ids[i]);
            if (r && used(*r))
                f(ids[i]);
        }
        heap_free(ids);
    }

private:
    struct node {
        node* next;
        int32_t id;
        Record record;
    };

    bool grow_to(int32_t slots)
    {
        void* grown = heap_realloc(slots_, sizeof(Record) * static_cast<std::size_t>(slots));
        if (!grown)
            return false;
        slots_ = static_cast<Record*>(grown);
        size_ = slots;
        return true;
    }

    int32_t bucket_of(int32_t id) const { return id & bucket_mask_; }

    node* find_node(int32_t id)
    {
        if (!buckets_)
            return nullptr;
        for (node* n = buckets_[bucket_of(id)]; n; n = n->next)
            if (n->id == id)
                return n;
        return nullptr;
    }

    // Identifiers run up from first_dynamic_id; after the last one they start again at the first
    // that is not in use.
    int32_t take_id()
    {
        for (;;) {
            int32_t id = next_id_;
            next_id_ = (next_id_ == INT32_MAX) ? first_dynamic_id : next_id_ + 1;
            if (!find_node(id))
                return id;
        }
    }

    bool rehash(int32_t bucket_count)
    {
        auto* grown = static_cast<node**>(heap_alloc(sizeof(node*) * static_cast<std::size_t>(bucket_count)));
        if (!grown)
            return false;
        int32_t mask = bucket_count - 1;
        for (int32_t b = 0; buckets_ && b <= bucket_mask_; ++b) {
            for (node* n = buckets_[b]; n;) {
                node* next = n->next;
                n->next = grown[n->id & mask];
                grown[n->id & mask] = n;
                n = next;
            }
        }
        heap_free(buckets_);
        buckets_ = grown;
        bucket_mask_ = mask;
        return true;
    }

    node* make_node()
    {
        if (!buckets_ && !rehash(64))
            return nullptr;
        if (dynamic_count_ > bucket_mask_)
            rehash((bucket_mask_ + 1) * 2);  // a failed rehash only makes the chains longer
        auto* n = static_cast<node*>(heap_alloc(sizeof(node)));
        if (!n)
            return nullptr;
        n->id = take_id();
        n->next = buckets_[bucket_of(n->id)];
        buckets_[bucket_of(n->id)] = n;
        ++dynamic_count_;
        return n;
    }

    Record* slots_ = nullptr;
    int32_t size_ = 0;
    int32_t growth_ = 16;
    node** buckets_ = nullptr;
    int32_t bucket_mask_ = -1;
    int32_t dynamic_count_ = 0;
    int32_t next_id_ = first_dynamic_id;
};
