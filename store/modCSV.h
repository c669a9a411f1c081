#pragma once

#include <string>
#include <vector>

class CSVDBS;

// Deletes every record whose values, in all fields, repeat those of an
// earlier record; the first of each group stays in its place. Values compare
// exactly as stored, field by field.
void RemoveDuplicateRows(CSVDBS& store);

// Adds a record at the end holding `values` (the i-th in field i; an empty
// one leaves its cell empty), as one step, "Insert Row", whose data holds
// them all. More values than fields throw StoreError before anything changes.
void InsertRowOf(CSVDBS& store, const std::vector<std::string>& values);
