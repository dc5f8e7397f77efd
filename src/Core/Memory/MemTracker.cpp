// placeholder: the tracking allocator lands here
