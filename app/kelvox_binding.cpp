// binding follows
