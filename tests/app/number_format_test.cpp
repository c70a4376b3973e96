// tests follow
