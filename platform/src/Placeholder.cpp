// placeholder: platform layer sources land here
