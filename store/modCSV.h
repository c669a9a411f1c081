#pragma once

class CSVDBS;

// Deletes every record whose values, in all fields, repeat those of an
// earlier record; the first of each group stays in its place. Values compare
// exactly as stored, field by field.
void RemoveDuplicateRows(CSVDBS& store);
